#!/usr/bin/env bash
# The display answers a real Feed: INIT and PID packets with their results, and a malformed INIT
# packet shows its box and then ends the process with exit code 0.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_display

expect_send 1 send 0 '2;k1;d1;1;k2;d2;2;'
expect_send 1 send 1 'k1,1500;'
expect_send 0 send 1 'k1,15 00;'
expect_send 0 send 3 'anything'

# The Feed's send waits for the box; the process ends once it is closed, so no reply comes.
"$E2E_FEED" --socket "$ORLEXGAUGES_SOCKET" send 0 'x;k1;d1;1;' >"$E2E_DIR/feed.out" 2>&1 &
E2E_BG_PIDS+=($!)
answer_box
wait_display_exit 10
[[ "$E2E_EXIT" == 0 ]] || fail "after the box the display should end with 0, got: $E2E_EXIT"
[[ ! -e "$E2E_DIR/orlexgauges_pidgrid.ini" ]] || fail "a packet error must not save the settings"
echo "PASS"
