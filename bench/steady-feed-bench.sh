#!/usr/bin/env bash
# What a steady Feed costs the display: `orlex-feed bench --rate` (the display's CPU use, paints per
# second, resident memory) with the window on show under a private Xvfb. Given a second build
# directory, its display takes turns with the first one's (twice each), so both are measured under
# the same machine load; the first build's orlex-feed drives both.
# Usage: bench/steady-feed-bench.sh BUILD_DIR [OTHER_BUILD_DIR|-] [DISPLAY_NUMBER] [RATE] [SECONDS]
# With TOGETHER=1 the two displays run at the same time instead of taking turns (see together below).
set -uo pipefail
build=$(cd "$1" && pwd)
other=${2:--}
[[ "$other" != "-" ]] && other=$(cd "$other" && pwd)
display=${3:-98}
rate=${4:-50}
seconds=${5:-10}
source "$(dirname "$0")/lib.sh"
bench_start steady-bench "$display"
feed=$build/tools/orlex-feed
xserver=${pids[0]}

# CPU time (user and system, in clock ticks) a process has taken so far.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# What the X server took meanwhile: each paint costs it too, and on a shared virtual machine a round
# in which it took far more than usual was a round in which the machine itself was slow.
report_x() {
  local label=$1 before=$2 after
  after=$(cpu_ticks "$xserver")
  awk -v l="$label" -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
    'BEGIN { printf "%s X server: cpu %.2f %% of one core\n", l, t * 100 / hz / s }'
}

run() {
  local label=$1 from=$2
  mkdir -p "$dir/$label"
  # A private copy: the settings file and the log go beside the executable.
  cp "$from/app/orlexgauges" "$dir/$label/orlexgauges"
  export ORLEXGAUGES_SOCKET=$dir/$label/feed.sock
  ORLEXGAUGES_STATS=1 "$dir/$label/orlexgauges" 2>"$dir/$label/stats" >/dev/null &
  local app=$!
  pids+=($app)
  "$feed" --wait 10 send 0 '1;x;x;1;' >/dev/null || { echo "$label: the display did not start"; return; }
  local xBefore
  xBefore=$(cpu_ticks "$xserver")
  "$feed" bench --rate "$rate" --seconds "$seconds" 2>/dev/null | sed "s/^/$label /"
  report_x "$label" "$xBefore"
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  rm -rf "${dir:?}/$label"
}

# Both displays at once, each under its own Xvfb (the given number and the next) with its own Feed:
# the machine's load then falls on both alike, which keeps their ratio steadier on a shared (virtual)
# machine than taking turns does.
together() {
  local round=$1 label from xdisplay app
  local -a feeds=()
  # The second X server serves every round.
  if [[ -z "${otherX:-}" ]]; then
    Xvfb ":$((display + 1))" -noreset -screen 0 1280x1024x24 >/dev/null 2>&1 &
    pids+=($!)
    otherX=$!
    for ((i = 0; i < 50; i++)); do DISPLAY=":$((display + 1))" xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
  for label in this other; do
    from=$build xdisplay=":$display"
    [[ $label == other ]] && from=$other xdisplay=":$((display + 1))"
    mkdir -p "$dir/$label-$round"
    cp "$from/app/orlexgauges" "$dir/$label-$round/orlexgauges"
    DISPLAY=$xdisplay ORLEXGAUGES_SOCKET=$dir/$label-$round/feed.sock ORLEXGAUGES_STATS=1 \
      "$dir/$label-$round/orlexgauges" 2>"$dir/$label-$round/stats" >/dev/null &
    pids+=($!)
    ORLEXGAUGES_SOCKET=$dir/$label-$round/feed.sock "$feed" --wait 10 send 0 '1;x;x;1;' >/dev/null ||
      { echo "$label-$round: the display did not start"; return; }
  done
  local thisTicks otherTicks
  thisTicks=$(cpu_ticks "$xserver")
  otherTicks=$(cpu_ticks "$otherX")
  for label in this other; do
    ORLEXGAUGES_SOCKET=$dir/$label-$round/feed.sock "$feed" bench --rate "$rate" --seconds "$seconds" 2>/dev/null |
      sed "s/^/$label-$round /" >"$dir/$label-$round.out" &
    feeds+=($!)
  done
  wait "${feeds[@]}"
  cat "$dir/this-$round.out"
  report_x "this-$round" "$thisTicks"
  cat "$dir/other-$round.out"
  xserver=$otherX report_x "other-$round" "$otherTicks"
}

for round in 1 2; do
  if [[ "${TOGETHER:-0}" == 1 && "$other" != "-" ]]; then
    together "$round"
    continue
  fi
  run "this-$round" "$build"
  [[ "$other" != "-" ]] && run "other-$round" "$other"
done
