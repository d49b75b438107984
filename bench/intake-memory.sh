#!/usr/bin/env bash
# What the display costs to take packets in, without painting, and what it keeps in memory over a long
# session: the display runs under its own Xvfb with its windows unmapped (so nothing is painted), and
# `orlex-feed bench` floods it with 60-value PID packets. Prints the display's own CPU per packet (from
# /proc, user + system), its resident memory after the first 1,000 packets, after PACKETS more, after
# one packet of 16 MiB of ";" fields and after the ordinary packet that follows it.
# Give two executables (say, this build's and an older one's) to measure both in one run, alternately.
# Usage: bench/intake-memory.sh FEED_TOOL DISPLAY_NUMBER PACKETS EXECUTABLE...
set -uo pipefail
feed=$(realpath "$1")
display=$2
packets=$3
shift 3
source "$(dirname "$0")/lib.sh"
bench_start intake-bench "$display"
unset QT_QPA_PLATFORM

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
# User + system CPU of process $1, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

run() {
  local label=$1 exe=$2
  mkdir -p "$dir/$label"
  cp "$exe" "$dir/$label/orlexgauges"  # its settings file and log go beside it
  export ORLEXGAUGES_SOCKET=$dir/$label/feed.sock
  ORLEXGAUGES_STATS=1 "$dir/$label/orlexgauges" >/dev/null 2>"$dir/$label/stats" &
  local app=$!
  pids+=($app)
  "$feed" --wait 10 send 0 '1;x;x;1;' >/dev/null || { echo "$label: the display did not start"; return; }
  local w
  for w in $(xdotool search --pid "$app" 2>/dev/null); do xdotool windowunmap "$w" 2>/dev/null; done
  sleep 1
  "$feed" bench --count 1000 >/dev/null
  local rss1000 ticks0 ticks1
  rss1000=$(rss_kib "$app")
  ticks0=$(cpu_ticks "$app")
  # bench ends with its echo part, longer than the watchdog's 17 s for many packets: a value every
  # 5 s keeps the display going meanwhile.
  (while kill -0 "$app" 2>/dev/null; do sleep 5; "$feed" send 1 'P01,1;' >/dev/null 2>&1; done) &
  local keeper=$!
  pids+=($keeper)
  "$feed" bench --count "$packets" >"$dir/$label/bench"
  ticks1=$(cpu_ticks "$app")
  local rssMany rssHuge rssAfter
  rssMany=$(rss_kib "$app")
  head -c $((16 * 1024 * 1024 - 1)) /dev/zero | tr '\0' ';' | "$feed" send 1 - >/dev/null
  sleep 1
  rssHuge=$(rss_kib "$app")
  "$feed" send 1 'P01,1;' >/dev/null
  sleep 1
  rssAfter=$(rss_kib "$app")
  local paints
  paints=$(awk '/paints\/s/ { sum += $3 } END { print sum + 0 }' "$dir/$label/stats")
  kill "$app" "$keeper" 2>/dev/null
  wait "$app" "$keeper" 2>/dev/null
  local hz
  hz=$(getconf CLK_TCK)
  echo "== $label ($exe)"
  awk -v t=$((ticks1 - ticks0)) -v hz="$hz" -v n="$packets" \
    'BEGIN { printf "display CPU per 60-value PID packet: %.1f us (while bench runs, its idle echo part included)\n", t / hz / n * 1e6 }'
  grep -m1 'round trips' "$dir/$label/bench"
  echo "paints while measured: $paints"
  echo "resident KiB: after 1,000 packets $rss1000, after $packets more $rssMany ($(((rssMany - rss1000) / 1024)) MiB more)," \
       "after a 16 MiB packet $rssHuge, after the next packet $rssAfter"
}

n=0
for exe in "$@"; do
  run "exe$((n++))" "$exe"
done
