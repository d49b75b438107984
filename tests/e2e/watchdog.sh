#!/usr/bin/env bash
# With no Feed at all the display ends itself, with exit code 0, at the 17th second.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_display
# Counted from when the display answers, not from its launch, which a loaded machine may stretch.
up_seconds=$SECONDS
# A PID packet before any INIT packet does not count as one.
expect_send 0 send 1 'k1,1;'
wait_display_exit 30
elapsed=$((SECONDS - up_seconds))
[[ "$E2E_EXIT" == 0 ]] || fail "expected exit code 0, got: $E2E_EXIT"
((elapsed >= 15 && elapsed <= 20)) || fail "ended after ${elapsed}s, expected about 17"
[[ ! -e "$E2E_DIR/orlexgauges_pidgrid.ini" ]] || fail "the watchdog must not save the settings"
echo "PASS (ended after ${elapsed}s)"
