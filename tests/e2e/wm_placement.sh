#!/usr/bin/env bash
# Window placement under a window manager (openbox), as users run the display:
# - the main window's frame is centred on the screen;
# - the cascade steps by outer sizes, so no title bar covers the window above;
# - PID windows never shown are saved with their outer size (no shrinking by a frame per run);
# - after a restart, "Show All" of 45 windows at once puts every one where the file says, also a
#   second time, and the next save writes back the same file.
# E2E_SCREENSHOT=prefix keeps prefix-first.png (first run) and prefix-restored.png.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_openbox
start_display

count=45
init="$count;"
values=""
for ((i = 1; i <= count; i++)); do
  init+="k$i;\"PID $i\";$i;"
  values+="k$i,$i.5;"
done
ini=$E2E_DIR/orlexgauges_pidgrid.ini

main_window() {
  local w i
  for ((i = 0; i < 150; i++)); do
    for w in $(xdotool search --onlyvisible --name '^Orlex Gauges$' 2>/dev/null); do
      client_geometry "$w"
      if ((CW >= 700)); then echo "$w"; return 0; fi
    done
    sleep 0.1
  done
  fail "no main window"
}

# Keeps the watchdog quiet while the script looks at windows.
feed_while_answered() {
  (while "$E2E_FEED" --socket "$ORLEXGAUGES_SOCKET" send 1 "$values" >/dev/null 2>&1; do sleep 1; done) &
  E2E_BG_PIDS+=($!)
}

# "Show All" from the grid's context menu, chosen with the keyboard; waits until all are shown.
show_all() {
  local main i shown
  main=$(main_window)
  client_geometry "$main"
  xdotool mousemove 1 1  # --sync waits for a motion, so start elsewhere
  xdotool mousemove --sync $((CX + 200)) $((CY + 300)) click 3
  sleep 0.5
  xdotool key Down Down Return
  for ((i = 0; i < 100; i++)); do
    shown=$(xdotool search --onlyvisible --name '^PID [0-9]+$' 2>/dev/null | wc -l)
    ((shown == count)) && { sleep 0.5; return 0; }
    sleep 0.1
  done
  fail "Show All showed $shown of $count PID windows"
}

# Reads the settings file into SAVED[section.key].
declare -A SAVED
read_saved() {
  SAVED=()
  local section= line
  while IFS= read -r line; do
    line=${line%$'\r'}
    if [[ "$line" == \[*\] ]]; then
      section=${line:1:-1}
    elif [[ "$line" == *=* ]]; then
      SAVED[$section.${line%%=*}]=${line#*=}
    fi
  done <"$ini"
}
saved() { echo "${SAVED[$1.$2]}"; }

close_display() {
  kill -TERM "$E2E_APP_PID"
  wait_display_exit 10
  [[ "$E2E_EXIT" == 0 ]] || fail "the display did not close on SIGTERM (exit $E2E_EXIT)"
}

# --- first run: centring, cascade, never-shown windows saved with their outer size
main=$(main_window)
client_geometry "$main"
frame_extents "$main"
((FT > 0)) || fail "openbox gave the main window no frame"
fx=$((CX - FL)) fy=$((CY - FT)) fw=$((CW + FL + FR)) fh=$((CH + FT + FB))
eval "$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print "SW="d[1]" SH="d[2]}')"
((fx - (SW - fw) / 2 <= 1 && (SW - fw) / 2 - fx <= 1)) || fail "main window frame at x $fx, centred is $(((SW - fw) / 2))"
((fy - (SH - fh) / 2 <= 1 && (SH - fh) / 2 - fy <= 1)) || fail "main window frame at y $fy, centred is $(((SH - fh) / 2))"

expect_send 1 send 0 "$init"
expect_send 1 send 1 "$values"
close_display
read_saved
outer_w=$((174 + FL + FR)) outer_h=$((150 + FT + FB))
for k in k1 k2 k45; do
  [[ "$(saved $k Width)x$(saved $k Height)" == "${outer_w}x${outer_h}" ]] ||
    fail "$k never shown was saved as $(saved $k Width)x$(saved $k Height), its outer size is ${outer_w}x${outer_h}"
done
for ((i = 1; i < 5; i++)); do
  step=$(($(saved k$((i + 1)) Top) - $(saved k$i Top)))
  ((step == outer_h)) || fail "the cascade steps $step px down from k$i, the windows are $outer_h px high"
done

start_display
expect_send 1 send 0 "$init"
expect_send 1 send 1 "$values"
feed_while_answered
show_all
if [[ -n "${E2E_SCREENSHOT:-}" ]]; then import -window root "$E2E_SCREENSHOT-first.png"; fi
close_display
cp "$ini" "$E2E_DIR/first.ini"
read_saved

# --- restart: every window where the file says, also after showing them all again and again
start_display
expect_send 1 send 0 "$init"
expect_send 1 send 1 "$values"
feed_while_answered
for round in 1 2; do
  ((round == 1)) || expect_send 0 hide-all
  show_all
  for w in $(xdotool search --onlyvisible --name '^PID [0-9]+$'); do
    name=$(xdotool getwindowname "$w")
    k=k${name#PID }
    client_geometry "$w"
    frame_extents "$w"
    want="$((SAVED[$k.Left] + FL)),$((SAVED[$k.Top] + FT)) $((SAVED[$k.Width] - FL - FR))x$((SAVED[$k.Height] - FT - FB))"
    [[ "$CX,$CY ${CW}x$CH" == "$want" ]] || fail "round $round: $name shows its client at $CX,$CY ${CW}x$CH, the file says $want"
  done
done
if [[ -n "${E2E_SCREENSHOT:-}" ]]; then import -window root "$E2E_SCREENSHOT-restored.png"; fi
close_display
diff <(tr -d '\r' <"$E2E_DIR/first.ini") <(tr -d '\r' <"$ini") >&2 || fail "the save after the restart wrote other geometry"
echo "PASS"
