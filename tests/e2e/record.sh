#!/usr/bin/env bash
# A session through the recording relay against the real display: the demo Feed recorded for a few
# seconds, replayed four times as fast into a fresh display and exported to CSV; and a malformed INIT
# through the relay ends the display, leaving the Feed the closed connection it gets directly, which a
# replay then finds as recorded. With ORLEX_E2E_SHOTS set, a screenshot of the replayed display.
source "$(dirname "$0")/lib.sh" "$@"

# Starts a relay recording to $1; sets relay_pid.
start_relay() {
  rm -f "$E2E_DIR/relay.sock"
  "$E2E_FEED" --socket "$ORLEXGAUGES_SOCKET" record --out "$1" --listen "$E2E_DIR/relay.sock" \
    >"$E2E_DIR/record.out" 2>&1 &
  relay_pid=$!
  E2E_BG_PIDS+=($relay_pid)
  local i
  for ((i = 0; i < 100; i++)); do
    [[ -S "$E2E_DIR/relay.sock" ]] && return 0
    sleep 0.05
  done
  fail "the relay never listened: $(cat "$E2E_DIR/record.out")"
}

stop_relay() {
  kill -TERM "$relay_pid"
  wait "$relay_pid" || fail "the relay ended with $?: $(cat "$E2E_DIR/record.out")"
}

start_xvfb
start_display
start_relay "$E2E_DIR/demo.orx"
"$E2E_FEED" --socket "$E2E_DIR/relay.sock" demo --interval 100 >"$E2E_DIR/demo.out" 2>&1 &
demo_pid=$!
E2E_BG_PIDS+=($demo_pid)
sleep 4
# A loaded machine (or a sanitizer build) starts the demo late: go on until the recording, which is
# readable while it is written, holds at least twenty of the demo's packets.
for ((i = 0; i < 300; i++)); do
  packets=$("$E2E_FEED" export "$E2E_DIR/demo.orx" --csv 2>/dev/null | grep -c ',RPM,') || true
  ((packets >= 21)) && break
  sleep 0.1
done
kill -TERM "$demo_pid"
wait "$demo_pid" 2>/dev/null
stop_relay
grep -q "1 connections, [0-9]* frames" "$E2E_DIR/record.out" || fail "record: $(cat "$E2E_DIR/record.out")"

# The malformed INIT: the box, then the display ends; the Feed sees the connection closed unanswered.
start_relay "$E2E_DIR/bad.orx"
"$E2E_FEED" --socket "$E2E_DIR/relay.sock" send 0 '2;RPM;Engine Speed;1;ECT;Coolant;2;' >"$E2E_DIR/bad.out" 2>&1 &
bad_pid=$!
answer_box
bad_exit=0
wait "$bad_pid" || bad_exit=$?
[[ $bad_exit == 1 ]] && grep -q "closed the connection without replying" "$E2E_DIR/bad.out" ||
  fail "the Feed should see the connection closed: exit $bad_exit, $(cat "$E2E_DIR/bad.out")"
wait_display_exit 10
[[ "$E2E_EXIT" != running ]] || fail "the display should end after a malformed INIT"
stop_relay

# Replayed four times as fast into a fresh display: the same replies.
# The display that ended on the malformed INIT may leave its socket file behind; start_display would
# take that file for the fresh display's.
rm -f "$ORLEXGAUGES_SOCKET"
start_display
replay=$("$E2E_FEED" --socket "$ORLEXGAUGES_SOCKET" replay "$E2E_DIR/demo.orx" --speed 4 2>&1) ||
  fail "replay: exit $?: $replay"
[[ "$replay" == *"frames sent, every reply as recorded." ]] || fail "replay: $replay"
kill -0 "$E2E_APP_PID" 2>/dev/null || fail "the display ended during the replay"
if [[ -n "${ORLEX_E2E_SHOTS:-}" ]]; then
  mkdir -p "$ORLEX_E2E_SHOTS"
  import -window root "$ORLEX_E2E_SHOTS/replay.png"
fi

# The export, read with Python's csv module: the demo's keys with their descriptions and values.
"$E2E_FEED" export "$E2E_DIR/demo.orx" --csv --out "$E2E_DIR/demo.csv" || fail "export failed"
python3 - "$E2E_DIR/demo.csv" <<'PY' || fail "the CSV export does not hold the demo's values"
import csv, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f))
assert rows[0] == ['time', 'key', 'description', 'value'], rows[0]
rpm = [r for r in rows[1:] if r[1] == 'RPM']
assert len(rpm) >= 20 and all(r[2] == 'Engine Speed (rpm)' and r[3] for r in rpm), rpm[:3]
assert len(rows) - 1 == 20 * len(rpm), len(rows)
times = [float(r[0]) for r in rows[1:]]
assert times == sorted(times) and times[-1] > 3, times[-1]
PY

# The malformed INIT replayed: the display closes on it again, as recorded.
"$E2E_FEED" --socket "$ORLEXGAUGES_SOCKET" replay "$E2E_DIR/bad.orx" --speed 0 >"$E2E_DIR/replay-bad.out" 2>&1 &
bad_pid=$!
answer_box
bad_exit=0
wait "$bad_pid" || bad_exit=$?
[[ $bad_exit == 0 ]] && grep -q "1 frames sent, every reply as recorded." "$E2E_DIR/replay-bad.out" ||
  fail "replaying the malformed INIT: exit $bad_exit, $(cat "$E2E_DIR/replay-bad.out")"
wait_display_exit 10
echo "PASS"
