#!/usr/bin/env bash
# The display answers a real Feed: INIT and PID packets with their results; a second display on the
# same socket refuses to start; a malformed INIT packet shows its box and then ends the process with
# exit code 0.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_display

expect_send 1 send 0 '2;k1;d1;1;k2;d2;2;'
expect_send 1 send 1 'k1,1500;'
expect_send 0 send 1 'k1,15 00;'
expect_send 0 send 3 'anything'

# One display per socket: a second one says so in a box and leaves the first alone.
"$E2E_DIR/orlexgauges" >"$E2E_DIR/second.out" 2>&1 &
second=$!
E2E_BG_PIDS+=($second)
answer_box
second_code=0
wait "$second" || second_code=$?
[[ "$second_code" == 1 ]] || fail "a second display should exit with 1, got $second_code"
expect_send 1 send 1 'k2,7;'

# The Feed's send waits for the box; the process ends once it is closed, so no reply comes.
"$E2E_FEED" --socket "$ORLEXGAUGES_SOCKET" send 0 'x;k1;d1;1;' >"$E2E_DIR/feed.out" 2>&1 &
E2E_BG_PIDS+=($!)
answer_box
wait_display_exit 10
[[ "$E2E_EXIT" == 0 ]] || fail "after the box the display should end with 0, got: $E2E_EXIT"
[[ ! -e "$E2E_DIR/orlexgauges_pidgrid.ini" ]] || fail "a packet error must not save the settings"
echo "PASS"
