#!/usr/bin/env bash
# The grid clipboard with another X client: a copy from a grid (Ctrl+C) reaches xclip, and text that
# xclip holds pastes into the grid (Ctrl+V). The grid is a small program's, with the clipboard keys on.
GRID=$3
source "$(dirname "$0")/lib.sh" "$1" "$2"
command -v xclip >/dev/null || fail "xclip is not installed (scripts/install-deps.sh)"
start_xvfb

"$GRID" "$E2E_DIR/cells.txt" >"$E2E_DIR/grid.out" 2>&1 &
E2E_BG_PIDS+=($!)
window=
for ((i = 0; i < 50; i++)); do
  window=$(xdotool search --onlyvisible --name '^Clipboard Grid$' 2>/dev/null | head -n 1)
  [[ -n "$window" ]] && break
  sleep 0.1
done
[[ -n "$window" ]] || fail "the grid did not appear: $(cat "$E2E_DIR/grid.out")"
xdotool windowfocus --sync "$window"
sleep 0.3

# Out: the selected 2 x 2 block, every row ended by CR LF.
xdotool key --window "$window" ctrl+c
copied=
for ((i = 0; i < 30; i++)); do
  copied=$(xclip -o -selection clipboard 2>/dev/null | od -An -c | tr -s ' ')
  [[ -n "$copied" ]] && break
  sleep 0.1
done
expected=$(printf 'alpha\tbeta\r\ngamma\tdelta\r\n' | od -An -c | tr -s ' ')
[[ "$copied" == "$expected" ]] || fail "xclip read '$copied', expected '$expected'"

# In: xclip owns the clipboard with a line of two cells; the grid pastes it at the selection.
printf 'one\ttw\xc3\xb6' | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
E2E_BG_PIDS+=($!)
for ((i = 0; i < 30; i++)); do
  [[ "$(xclip -o -selection clipboard 2>/dev/null)" == "$(printf 'one\ttw\xc3\xb6')" ]] && break
  sleep 0.1
done
xdotool key --window "$window" ctrl+v
for ((i = 0; i < 30; i++)); do
  [[ -s "$E2E_DIR/cells.txt" ]] && break
  sleep 0.1
done
[[ -s "$E2E_DIR/cells.txt" ]] || fail "the grid did not paste: $(cat "$E2E_DIR/grid.out")"
[[ "$(cat "$E2E_DIR/cells.txt")" == "$(printf 'one\ttw\xc3\xb6\ngamma\tdelta')" ]] ||
  fail "the grid holds '$(cat "$E2E_DIR/cells.txt")'"
echo PASS
