#!/usr/bin/env bash
# The grid's context menu acts on the cell the user selected: a left click on a slot makes it the
# current cell, and "Hide/Show PID Window" from a right click then shows that PID's window. A right
# click alone does not move the current cell, so the same command from another slot hides the window
# of the selected slot again.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_display

# 21 PIDs: the 21st takes the first slot of the second description column.
init="21;"
for i in $(seq 1 21); do init+="k$i;\"PID $i\";$i;"; done
expect_send 1 send 0 "$init"
keep_feeding 'k1,1;k21,21;'

find_main_window
row_y() { echo $((grid_y + 22 + 22 * ($1 - 1) + 11)); }
col_x() { echo $((grid_x + 128 * $1 + 64)); }

pid_window_shown() {
  xdotool search --onlyvisible --name "^PID $1\$" >/dev/null 2>&1
}

# Moves the pointer and clicks; the pointer is first moved away, since waiting for a move to where
# it already is never ends.
click_at() {
  xdotool mousemove 1 1
  xdotool mousemove --sync "$1" "$2" click "$3"
}

# Right-clicks at a point and chooses the first item of the menu that opens there: the one new
# window that is neither the main window, nor a PID window, nor the root.
hide_show_from_menu() {
  click_at "$1" "$2" 3
  local w i
  for ((i = 0; i < 50; i++)); do
    for w in $(xdotool search --onlyvisible --name '.*' 2>/dev/null); do
      [[ "$w" == "$main" ]] && continue
      [[ "$(xdotool getwindowname "$w" 2>/dev/null)" == PID* ]] && continue
      eval "$(xdotool getwindowgeometry --shell "$w")"
      ((WIDTH < 400 && HEIGHT < 200)) || continue
      click_at $((X + 30)) $((Y + 11)) 1
      return 0
    done
    sleep 0.1
  done
  fail "the context menu did not open"
}

wait_for() {
  local i
  for ((i = 0; i < 50; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

pid_window_shown 21 && fail "PID windows start hidden"
click_at "$(col_x 2)" "$(row_y 1)" 1
hide_show_from_menu "$(col_x 2)" "$(row_y 1)"
wait_for pid_window_shown 21 || fail "the selected slot's PID window did not appear"
pid_window_shown 1 && fail "the PID window of the slot that was current before appeared"

# A right click on another slot leaves the current cell: the command hides PID 21 again.
hide_show_from_menu "$(col_x 0)" "$(row_y 5)"
wait_for eval '! pid_window_shown 21' || fail "the PID window of the selected slot stayed"
pid_window_shown 5 && fail "the right-clicked slot's window appeared"
echo "PASS"
