#!/usr/bin/env bash
# What accessibility costs the display: `orlex-feed bench` (round trips per second, latency, ratio to
# a plain echo server) and the grid's paints per second, with the Qt accessibility bridge off and on
# (the AT-SPI bus running, no screen reader listening), in one run.
# The two settings take turns twice, so a machine whose load changes meanwhile shows as a spread.
# Usage: bench/accessibility-bench.sh BUILD_DIR [DISPLAY_NUMBER] [PACKETS]
set -uo pipefail
if [[ -z "${ORLEX_BENCH_SESSION_BUS:-}" ]]; then
  ORLEX_BENCH_SESSION_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
build=$(cd "$1" && pwd)
display=${2:-99}
packets=${3:-100000}
source "$(dirname "$0")/lib.sh"
bench_start a11y-bench "$display"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
cp "$build/app/orlexgauges" "$dir/orlexgauges"
feed=$build/tools/orlex-feed

run() {
  local label=$1
  shift
  export ORLEXGAUGES_SOCKET=$dir/$label.sock
  env "$@" ORLEXGAUGES_STATS=1 "$dir/orlexgauges" 2>"$dir/$label.stats" >/dev/null &
  local app=$!
  pids+=($app)
  "$feed" --wait 10 send 0 '1;x;x;1;' >/dev/null || { echo "$label: the display did not start"; return; }
  local start
  start=$(wc -l <"$dir/$label.stats")
  "$feed" bench --count "$packets" >"$dir/$label.bench" 2>&1
  local paints
  # The whole seconds inside the run: the first and the last line may cover time outside it.
  paints=$(tail -n +"$((start + 2))" "$dir/$label.stats" | head -n -1 |
           awk '/paints\/s/ { sum += $3; n++ } END { if (n) printf "%.0f", sum / n; else print "?" }')
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  echo "== accessibility $label: paints/s $paints (mean while benching)"
  cat "$dir/$label.bench"
}

for round in 1 2; do
  run off QT_ACCESSIBILITY=0
  run on QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
done
