# Shared set-up of the end-to-end scripts: a private X server, a private copy of the display (so its
# settings file and log land in a private directory), a private Feed socket, and clean-up of
# everything this script started. Usage: source lib.sh EXECUTABLE FEED_TOOL

set -uo pipefail

E2E_EXE_SOURCE=$1
E2E_FEED=$2
E2E_DIR=$(mktemp -d /tmp/orlex-e2e-XXXXXX)
E2E_XVFB_PID=
E2E_WM_PID=
E2E_APP_PID=
E2E_BG_PIDS=()
export ORLEXGAUGES_SOCKET=$E2E_DIR/feed.sock
export LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM
# Qt and fontconfig keep some allocations for the life of the process; those are not ours.
if [[ -z "${LSAN_OPTIONS:-}" ]]; then
  export LSAN_OPTIONS="suppressions=$(dirname "${BASH_SOURCE[0]}")/../lsan.supp:print_suppressions=0"
fi

e2e_cleanup() {
  local pid
  for pid in ${E2E_APP_PID:-} "${E2E_BG_PIDS[@]}"; do
    # Children first: a helper's own servers (the accessibility bus launcher's bus, say) would
    # otherwise outlive the test, one more for every run.
    pkill -9 -P "$pid" 2>/dev/null
    kill -9 "$pid" 2>/dev/null
  done
  [[ -n "$E2E_WM_PID" ]] && kill "$E2E_WM_PID" 2>/dev/null
  [[ -n "$E2E_XVFB_PID" ]] && kill "$E2E_XVFB_PID" 2>/dev/null
  rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [[ -f "$E2E_DIR/app.out" ]]; then
    echo "--- display output:" >&2
    cat "$E2E_DIR/app.out" >&2
  fi
  exit 1
}

# Starts Xvfb on the first display number that is free; another script may take the same number at
# the same moment, so a server that does not come up means: try the next one.
start_xvfb() {
  local n
  for ((n = 140 + RANDOM % 40; n < 260; n++)); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -noreset -screen 0 1280x1024x24 >"$E2E_DIR/xvfb.out" 2>&1 &
    E2E_XVFB_PID=$!
    local i
    for ((i = 0; i < 50; i++)); do
      if ! kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
        break
      fi
      if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$E2E_XVFB_PID" 2>/dev/null
    E2E_XVFB_PID=
  done
  fail "no free X display"
}

# Starts openbox on the private X server, as users run a window manager: real frames (1 px sides,
# 20 px title, 5 px bottom) and _NET_FRAME_EXTENTS. Returns once it manages the screen.
start_openbox() {
  openbox --sm-disable >"$E2E_DIR/openbox.out" 2>&1 &
  E2E_WM_PID=$!
  local i
  for ((i = 0; i < 100; i++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$E2E_WM_PID" 2>/dev/null || fail "openbox did not start: $(cat "$E2E_DIR/openbox.out")"
    sleep 0.1
  done
  fail "openbox never managed the screen"
}

# The client area of window $1 on the screen: sets CX, CY, CW, CH.
client_geometry() {
  eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "CX="$4} /Absolute upper-left Y/ {print "CY="$4}
                                    /^ *Width:/ {print "CW="$2} /^ *Height:/ {print "CH="$2}')"
}

# The frame the window manager put around window $1: sets FL, FR, FT, FB (all 0 without a frame).
frame_extents() {
  local e
  e=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
  IFS=, read -r FL FR FT FB <<<"${e:-0,0,0,0}"
}

# Sends PID packet $1 once a second while the display runs, so the watchdog stays quiet while the mouse
# and keyboard work.
keep_feeding() {
  (while kill -0 "$E2E_APP_PID" 2>/dev/null; do
     "$E2E_FEED" --socket "$ORLEXGAUGES_SOCKET" send 1 "$1" >/dev/null 2>&1
     sleep 1
   done) &
  E2E_BG_PIDS+=($!)
  disown $!
}

# Finds the shown main window: sets main and its geometry (X, Y, WIDTH, HEIGHT), and from it the grid:
# 8 pixels into the client area below the menu bar, a 1-pixel border, a 22-pixel header row
# (menu_bar, grid_x, grid_y).
find_main_window() {
  main=
  local i w
  for ((i = 0; i < 50; i++)); do
    for w in $(xdotool search --onlyvisible --name '^Orlex Gauges$' 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$w")"
      if ((WIDTH >= 700)); then main=$w; break 2; fi
    done
    sleep 0.1
  done
  [[ -n "$main" ]] || fail "no main window"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  menu_bar=$((HEIGHT - 592))
  grid_x=$((X + 8 + 1))
  grid_y=$((Y + menu_bar + 8 + 1))
}

# Starts the display from its private copy (or from the executable given, as it stands) and waits
# until it answers on its socket.
start_display() {
  local exe=${1:-$E2E_DIR/orlexgauges}
  [[ -n "${1:-}" ]] || cp "$E2E_EXE_SOURCE" "$exe"
  "$exe" >"$E2E_DIR/app.out" 2>&1 &
  E2E_APP_PID=$!
  E2E_START_SECONDS=$SECONDS
  local i
  for ((i = 0; i < 100; i++)); do
    [[ -S "$ORLEXGAUGES_SOCKET" ]] && return 0
    kill -0 "$E2E_APP_PID" 2>/dev/null || fail "the display did not start"
    sleep 0.1
  done
  fail "the display never opened its socket"
}

# Waits up to $1 seconds for the display to end; sets E2E_EXIT to its exit code, or to "running".
wait_display_exit() {
  local limit=$1 i
  E2E_EXIT=running
  for ((i = 0; i < limit * 10; i++)); do
    if [[ "$(ps -o stat= -p "$E2E_APP_PID" 2>/dev/null)" != [RSDT]* ]]; then
      E2E_EXIT=0
      wait "$E2E_APP_PID" || E2E_EXIT=$?
      E2E_APP_PID=
      return 0
    fi
    sleep 0.1
  done
}

# Sends with the Feed tool and checks the printed result.
expect_send() {
  local expected=$1
  shift
  local got
  got=$("$E2E_FEED" --socket "$ORLEXGAUGES_SOCKET" "$@") || fail "orlex-feed $* failed: $got"
  [[ "$got" == "$expected" ]] || fail "orlex-feed $*: expected $expected, got '$got'"
}

# Presses Return in the modal box titled "Orlex Gauges" once it is shown.
answer_box() {
  local w i
  for ((i = 0; i < 100; i++)); do
    # The main window has the same title; the box is the one that is not the main window's size.
    for w in $(xdotool search --onlyvisible --name '^Orlex Gauges$' 2>/dev/null); do
      local width
      width=$(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
      if [[ -n "$width" && "$width" -lt 700 ]]; then
        xdotool windowfocus --sync "$w" 2>/dev/null
        xdotool key Return
        return 0
      fi
    done
    sleep 0.1
  done
  fail "no message box appeared"
}
