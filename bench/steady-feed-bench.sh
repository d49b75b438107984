#!/usr/bin/env bash
# What a steady Feed costs the display: `orlex-feed bench --rate` (the display's CPU use, paints per
# second, resident memory) with the window on show under a private Xvfb. Given a second build
# directory, its display takes turns with the first one's (twice each), so both are measured under
# the same machine load; the first build's orlex-feed drives both.
# Usage: bench/steady-feed-bench.sh BUILD_DIR [OTHER_BUILD_DIR|-] [DISPLAY_NUMBER] [RATE] [SECONDS]
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
  "$feed" bench --rate "$rate" --seconds "$seconds" 2>/dev/null | sed "s/^/$label /"
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  rm -rf "${dir:?}/$label"
}

for round in 1 2; do
  run "this-$round" "$build"
  [[ "$other" != "-" ]] && run "other-$round" "$other"
done
