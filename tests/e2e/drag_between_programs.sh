#!/usr/bin/env bash
# Drags between the display and another program: a line of text dragged in from the other program
# lands in a grid cell (the other program hears that it was taken); a description dragged out of the
# grid reaches the other program as text, and the PID stays in its slot although the other program
# took the text as a move.
PEER=$3
source "$(dirname "$0")/lib.sh" "$1" "$2"
start_xvfb
start_display

init="25;"
for i in $(seq 1 25); do init+="k$i;\"PID $i\";$i;"; done
values=""
for i in $(seq 1 25); do values+="k$i,$i.5;"; done
expect_send 1 send 0 "$init"
keep_feeding "$values"

find_main_window
row_y() { echo $((grid_y + 22 + 22 * ($1 - 1) + 11)); }
col_x() { echo $((grid_x + 128 * $1 + 40)); }

wait_window() {
  local i
  for ((i = 0; i < 50; i++)); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "the window '$1' did not appear"
}

# Moves in ten steps from one point to another with the button held, then releases.
drag_path() {
  local x0=$1 y0=$2 x1=$3 y1=$4 s
  xdotool mousedown 1
  sleep 0.2
  for s in $(seq 1 10); do
    xdotool mousemove $((x0 + (x1 - x0) * s / 10)) $((y0 + (y1 - y0) * s / 10))
    sleep 0.05
  done
  sleep 0.3
  xdotool mouseup 1
  sleep 0.5
}

# In: the other program (right of the display) drags a line onto a free slot.
"$PEER" source 1060 100 "A line from elsewhere" >"$E2E_DIR/source.out" 2>"$E2E_DIR/source.err" &
E2E_BG_PIDS+=($!)
wait_window "DnD Peer Source"
xdotool mousemove --sync 1160 160
drag_path 1160 160 "$(col_x 4)" "$(row_y 10)"
[[ "$(cat "$E2E_DIR/source.out")" == move ]] || fail "the grid did not take the dragged line: $(cat "$E2E_DIR/source.out")"

# Out: the other program's window lies over the display (the pointer cannot leave the display's
# window while a slot is dragged); PID 3's description is dragged onto it.
"$PEER" target 700 660 "$E2E_DIR/dropped.txt" >"$E2E_DIR/target.out" 2>"$E2E_DIR/target.err" &
E2E_BG_PIDS+=($!)
wait_window "DnD Peer Target"
xdotool mousemove 1 1
xdotool mousemove --sync "$(col_x 0)" "$(row_y 3)" click 1
sleep 0.3
drag_path "$(col_x 0)" "$(row_y 3)" 800 720
[[ -f "$E2E_DIR/dropped.txt" ]] || fail "nothing reached the other program"
[[ "$(cat "$E2E_DIR/dropped.txt")" == "PID 3" ]] || fail "the other program got '$(cat "$E2E_DIR/dropped.txt")'"

# The move into the other program did not cost the PID its slot.
kill -TERM "$E2E_APP_PID"
wait_display_exit 10
[[ "$E2E_EXIT" == running ]] && fail "the display did not end on SIGTERM"
ini=$E2E_DIR/orlexgauges_pidgrid.ini
section=$(tr -d '\r' <"$ini" | sed -n '/^\[k3\]/,/^\[/p')
grep -q '^Xpos=0$' <<<"$section" && grep -q '^Ypos=3$' <<<"$section" ||
  fail "PID 3 lost its slot after a move into another program: $section"
echo PASS
