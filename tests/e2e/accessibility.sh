#!/usr/bin/env bash
# A screen reader's view of the running display: on a private session bus with the accessibility bus
# running, after an INIT and a PID packet the tree holds the grid as a table whose first slot reads
# the PID's description and value, and a PID window shown from the keyboard (Menu key on the current
# cell, first item) reads its value.
if [[ -z "${ORLEX_E2E_SESSION_BUS:-}" ]]; then
  ORLEX_E2E_SESSION_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh" "$@"
# The system's Python carries the Debian package's bindings; another python3 first in PATH may not.
python=/usr/bin/python3
[[ -x "$python" ]] || python=python3
"$python" -c 'import pyatspi' 2>/dev/null || fail "python3-pyatspi is missing"

start_xvfb
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_DIR/atspi.out" 2>&1 &
E2E_BG_PIDS+=($!)
disown $!
export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_display

expect_send 1 send 0 '2;rpm;"Engine Speed";1;ect;"Coolant Temp";2;'
expect_send 1 send 1 'rpm,2906;ect,87;'

# The PID window of the current cell (the first slot), from the keyboard.
find_main_window
xdotool windowfocus --sync "$main"
xdotool key Menu
sleep 0.5
xdotool key Down Return
for ((i = 0; i < 50; i++)); do
  xdotool search --onlyvisible --name '^Engine Speed$' >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool search --onlyvisible --name '^Engine Speed$' >/dev/null 2>&1 || fail "the Menu key did not show the PID window"
expect_send 1 send 1 'rpm,2906;ect,87;'

"$python" "$(dirname "$0")/atspi_check.py" "$E2E_APP_PID" "Engine Speed" "2906" ${ORLEX_ATSPI_DUMP:+--dump} \
  >"$E2E_DIR/atspi.txt" 2>&1
result=$?
cat "$E2E_DIR/atspi.txt"
((result == 0)) || fail "the accessibility tree is not as expected"
echo "PASS"
