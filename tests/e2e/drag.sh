#!/usr/bin/env bash
# Rearranging slots with the real mouse: a drag of a description onto another slot swaps the two
# PIDs, onto a free slot moves the PID; Escape changes nothing; Ctrl at the drop swaps as well. While
# a slot is dragged the pointer cannot leave the main window; afterwards it moves freely. The new
# arrangement is saved on SIGTERM and comes back after a restart.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_display

init="45;"
for i in $(seq 1 45); do init+="k$i;\"PID $i\";$i;"; done
values=""
for i in $(seq 1 45); do values+="k$i,$i.5;"; done
expect_send 1 send 0 "$init"
expect_send 1 send 1 "$values"
keep_feeding "$values"

find_main_window
win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
row_y() { echo $((grid_y + 22 + 22 * ($1 - 1) + 11)); }
col_x() { echo $((grid_x + 128 * $1 + 40)); }

# Selects a slot with a click, presses on it again and moves in ten steps to another slot; the
# release is left to the caller.
press_and_move() {
  xdotool mousemove 1 1
  xdotool mousemove --sync "$(col_x "$1")" "$(row_y "$2")" click 1
  sleep 0.3
  xdotool mousedown 1
  sleep 0.2
  local x0 y0 x1 y1 s
  x0=$(col_x "$1") y0=$(row_y "$2") x1=$(col_x "$3") y1=$(row_y "$4")
  for s in $(seq 1 10); do
    xdotool mousemove $((x0 + (x1 - x0) * s / 10)) $((y0 + (y1 - y0) * s / 10))
    sleep 0.05
  done
  sleep 0.3
}
drag() {
  press_and_move "$@"
  xdotool mouseup 1
  sleep 0.5
}

# Saves through SIGTERM and reads where each key's slot is ("col,row").
ini=$E2E_DIR/orlexgauges_pidgrid.ini
position() {
  local section
  section=$(tr -d '\r' <"$ini" | sed -n "/^\[$1\]/,/^\[/p")
  echo "$(sed -n 's/^Xpos=//p' <<<"$section"),$(sed -n 's/^Ypos=//p' <<<"$section")"
}
expect_position() {
  local got
  got=$(position "$1")
  [[ "$got" == "$2" ]] || fail "$1 is at $got, expected $2 ($3)"
}
save_and_stop() {
  kill -TERM "$E2E_APP_PID"
  wait_display_exit 10
  [[ "$E2E_EXIT" == running ]] && fail "the display did not end on SIGTERM"
}

# A swap of two occupied slots.
drag 0 1 2 5
# Onto a free slot: the PID moves and its old slot is free.
drag 0 2 4 10
# Escape during a drag changes nothing, and the pointer is free again at once.
press_and_move 0 3 2 7
xdotool key Escape
sleep 0.3
xdotool mouseup 1
sleep 0.3
# Ctrl held at the drop: a copy for the grid, and the same swap for the slots.
press_and_move 0 4 2 6
xdotool keydown ctrl
xdotool mousemove_relative 1 0
sleep 0.2
xdotool mouseup 1
xdotool keyup ctrl
sleep 0.5

# While a slot is dragged the pointer stays inside the main window (barriers hold relative motion).
press_and_move 0 7 0 8
xdotool mousemove_relative -- -3000 0
sleep 0.2
eval "$(xdotool getmouselocation --shell)"
((X >= win_x)) || fail "the pointer left the window to the left during a drag (x $X, window at $win_x)"
xdotool mousemove_relative -- 0 3000
sleep 0.2
eval "$(xdotool getmouselocation --shell)"
((Y < win_y + win_h)) || fail "the pointer left the window downwards during a drag (y $Y)"
xdotool key Escape
sleep 0.3
xdotool mouseup 1
sleep 0.3
xdotool mousemove_relative -- -3000 0
sleep 0.2
eval "$(xdotool getmouselocation --shell)"
((X == 0)) || fail "the pointer is still held after the drag (x $X)"

save_and_stop
expect_position k1 2,5 "dragged onto PID 25's slot"
expect_position k25 0,1 "swapped into PID 1's slot"
expect_position k2 4,10 "moved onto a free slot"
expect_position k3 0,3 "Escape changes nothing"
expect_position k4 2,6 "dropped with Ctrl"
expect_position k26 0,4 "swapped by the Ctrl drop"
expect_position k7 0,7 "the confinement drag was cancelled"
grep -qi '^Xpos=' "$ini" || fail "no positions saved"

# After a restart the next INIT puts every PID where it was left.
start_display
expect_send 1 send 0 "$init"
expect_send 1 send 1 "$values"
save_and_stop
expect_position k1 2,5 "restored after a restart"
expect_position k25 0,1 "restored after a restart"
expect_position k2 4,10 "restored after a restart"
# A free slot stays free: the next PID of a fresh INIT would take it first.
echo "PASS"
