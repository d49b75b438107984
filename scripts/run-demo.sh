#!/usr/bin/env bash
# Builds the display and starts it with the built-in demo Feed beside it.
# Without a display (no $DISPLAY) it starts its own Xvfb on :77 and says how to look at it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --demo
cmake --preset demo >/dev/null
cmake --build --preset demo -j"$(nproc)"

if [[ -z "${DISPLAY:-}" ]]; then
  export DISPLAY=:77
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -noreset >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  sleep 1
  echo "No display: running on Xvfb $DISPLAY (screenshot: DISPLAY=$DISPLAY import -window root shot.png)"
fi

./build/app/orlexgauges &
display=$!
trap 'kill $display 2>/dev/null || true; kill ${xvfb:-0} 2>/dev/null || true' EXIT
# The display needs a moment to open its socket; the demo retries until it answers.
./build/tools/orlex-feed demo --wait 10 &
feed=$!
wait $display || true
kill $feed 2>/dev/null || true
