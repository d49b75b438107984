#!/usr/bin/env bash
# SIGTERM closes the display through its close path, which saves the settings; a save that cannot
# be written is logged and keeps the display running, both on a Feed's save request (through the
# application's exception hook) and on closing.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_display
ini=$E2E_DIR/orlexgauges_pidgrid.ini
log=$E2E_DIR/orlexgauges_pidgrid.log

expect_send 1 send 0 '2;k1;"Oil temp";1;k2;d2;2;'
expect_send 1 send 1 'k1,80;k2,3;'

# A directory where the settings file goes makes every save fail.
mkdir "$ini"
"$E2E_FEED" --socket "$ORLEXGAUGES_SOCKET" save >"$E2E_DIR/save.out" 2>&1 &
save=$!
E2E_BG_PIDS+=($save)
answer_box  # "saved"
wait "$save" || fail "the save request got no reply"
[[ "$(cat "$E2E_DIR/save.out")" == 0 ]] || fail "save request answered $(cat "$E2E_DIR/save.out")"
grep -q "^[0-9][0-9]\.[0-9][0-9]\.[0-9]\{4\} [0-9][0-9]:[0-9][0-9] Unable to write to $ini"$'\r'"\$" "$log" ||
  fail "the failed save was not logged: $(cat "$log" 2>/dev/null)"
expect_send 1 send 1 'k1,81;'  # the display carries on

kill -TERM "$E2E_APP_PID"
sleep 1
kill -0 "$E2E_APP_PID" 2>/dev/null || fail "a close whose save failed must leave the display running"
[[ $(grep -c 'Unable to write to' "$log") == 2 ]] || fail "the failed close was not logged"

rmdir "$ini"
kill -TERM "$E2E_APP_PID"
wait_display_exit 10
[[ "$E2E_EXIT" == 0 ]] || fail "SIGTERM should close the display with 0, got: $E2E_EXIT"
grep -q '^\[k1\]' "$ini" && grep -q '^\[k2\]' "$ini" || fail "settings not saved: $(cat "$ini" 2>/dev/null)"
echo "PASS"
