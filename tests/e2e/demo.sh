#!/usr/bin/env bash
# The demo Feed keeps the display alive past the watchdog's limit. With ORLEX_E2E_SHOTS set, a
# screenshot of the running display is left there.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_display
"$E2E_FEED" --socket "$ORLEXGAUGES_SOCKET" demo --interval 100 >"$E2E_DIR/demo.out" 2>&1 &
E2E_BG_PIDS+=($!)
sleep 21
kill -0 "$E2E_APP_PID" 2>/dev/null || fail "the display ended although the demo Feed was sending"
if [[ -n "${ORLEX_E2E_SHOTS:-}" ]]; then
  mkdir -p "$ORLEX_E2E_SHOTS"
  import -window root "$ORLEX_E2E_SHOTS/demo.png"
fi
kill -TERM "$E2E_APP_PID"
wait_display_exit 10
[[ "$E2E_EXIT" == 0 ]] || fail "SIGTERM should close the display with 0, got: $E2E_EXIT"
grep -qi '^\[' "$E2E_DIR/orlexgauges_pidgrid.ini" || fail "closing should have saved the demo PIDs"
echo "PASS"
