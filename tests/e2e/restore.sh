#!/usr/bin/env bash
# The arrangement survives a restart: PID windows shown from the grid's menu and moved by the user
# are saved when the display closes, and the next run puts them back where they were.
# E2E_SCREENSHOT=file.png keeps a picture of the restored windows.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_display

init='3;k1;"Engine Speed";1;k2;"Oil Temp";2;k3;"Boost Pressure";3;'

main_window() {
  local w
  for ((i = 0; i < 50; i++)); do
    for w in $(xdotool search --onlyvisible --name '^Orlex Gauges$' 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$w")"
      if ((WIDTH >= 700)); then echo "$w"; return 0; fi
    done
    sleep 0.1
  done
  fail "no main window"
}

# "Show All" from the grid's context menu, chosen with the keyboard.
show_all() {
  local main
  main=$(main_window)
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove 1 1
  xdotool mousemove --sync $((X + 200)) $((Y + HEIGHT - 300)) click 3
  sleep 0.5
  xdotool key Down Down Return
}

window_of() {
  local i
  for ((i = 0; i < 50; i++)); do
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 && return 0
    sleep 0.1
  done
  return 1
}

expect_send 1 send 0 "$init"
expect_send 1 send 1 'k1,2500;k2,95.5;k3,0.8;'
show_all
oil=$(window_of "Oil Temp") || fail "Show All did not show the PID windows"
window_of "Engine Speed" >/dev/null || fail "Show All left a PID window hidden"
xdotool windowmove --sync "$oil" 600 400
sleep 0.3

kill -TERM "$E2E_APP_PID"
wait_display_exit 10
[[ "$E2E_EXIT" == 0 ]] || fail "the display did not close on SIGTERM (exit $E2E_EXIT)"
ini=$E2E_DIR/orlexgauges_pidgrid.ini
grep -q '^\[k2\]' "$ini" || fail "no section for k2 in the settings file"
tr -d '\r' <"$ini" | sed -n '/^\[k2\]/,/^\[/p' | grep -q '^Left=600$' || fail "k2's left edge was not saved: $(cat "$ini")"

start_display
expect_send 1 send 0 "$init"
expect_send 1 send 1 'k1,2600;k2,96.0;k3,0.9;'
show_all
oil=$(window_of "Oil Temp") || fail "the PID windows did not come back"
eval "$(xdotool getwindowgeometry --shell "$oil")"
[[ "$X" == 600 && "$Y" == 400 ]] || fail "Oil Temp came back at $X,$Y instead of 600,400"
# The slots come back too: the same order in the first description column.
if [[ -n "${E2E_SCREENSHOT:-}" ]]; then import -window root "$E2E_SCREENSHOT"; fi
echo "PASS"
