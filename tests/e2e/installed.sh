#!/usr/bin/env bash
# The installed copy, as a user and a Feed author meet it: `cmake --install` into a temporary prefix;
# the installed display runs, carries its icon, and is fed by the installed orlex-feed, by the Python
# example with the installed module, by the C example built against the installed library with
# pkg-config, and by C++ and C Feeds of two outside CMake projects (one through find_package(OrlexFeed),
# one through add_subdirectory of this source tree, which must configure without Qt). Closed, the
# display leaves its settings under $XDG_CONFIG_HOME and nothing beside the installed executable.
# Usage: installed.sh EXECUTABLE FEED_TOOL BUILD_DIR SOURCE_DIR
source "$(dirname "$0")/lib.sh" "$@"
build=$3
source_dir=$4
prefix=$E2E_DIR/prefix
export XDG_CONFIG_HOME=$E2E_DIR/config XDG_STATE_HOME=$E2E_DIR/state

cmake --install "$build" --prefix "$prefix" >"$E2E_DIR/install.out" 2>&1 || fail "install: $(cat "$E2E_DIR/install.out")"
for f in bin/orlexgauges bin/orlex-feed share/applications/orlexgauges.desktop \
  share/icons/hicolor/scalable/apps/orlexgauges.svg share/icons/hicolor/48x48/apps/orlexgauges.png \
  share/man/man1/orlexgauges.1 share/man/man1/orlex-feed.1 include/orlexfeed/orlex_feed.h; do
  [[ -e "$prefix/$f" ]] || fail "not installed: $f"
done
feed=$prefix/bin/orlex-feed
[[ "$("$feed" --version)" == "orlex-feed (Orlex Gauges) "* ]] || fail "installed orlex-feed --version"
# The man page documents every option --help shows.
for option in $("$feed" --help | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "${option//-/\\\\-}" "$prefix/share/man/man1/orlex-feed.1" || fail "orlex-feed.1 lacks $option"
done

# The C example built against the installed library with pkg-config.
export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name orlexfeed.pc)")
libdir=$(pkg-config --variable=libdir orlexfeed)
cc -Wall -Werror "$prefix/share/doc/orlexgauges/examples/feed_example.c" $(pkg-config --cflags --libs orlexfeed) \
  -Wl,-rpath,"$libdir" -o "$E2E_DIR/c_feed" 2>"$E2E_DIR/cc.out" || fail "C example does not build: $(cat "$E2E_DIR/cc.out")"

# Outside CMake projects: the C++ client through find_package, the C one through add_subdirectory.
mkdir -p "$E2E_DIR/found" "$E2E_DIR/added"
cat >"$E2E_DIR/found/main.cpp" <<'CPP'
#include <platform/FeedClient.h>
#include <platform/FeedPath.h>
#include <iostream>
int main() {
  orlex::TFeedClient feed(orlex::FeedSocketPath());
  std::cout << feed.SendPacket(1, "k2,4;") << std::endl;
}
CPP
cat >"$E2E_DIR/found/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(found CXX)
find_package(OrlexFeed 1 REQUIRED)
add_executable(found main.cpp)
target_link_libraries(found PRIVATE OrlexFeed::orlex_feed)
CMAKE
cat >"$E2E_DIR/added/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(added C CXX)
add_subdirectory("$source_dir" orlex)
add_executable(added "$source_dir/docs/examples/feed_example.c")
target_link_libraries(added PRIVATE OrlexFeed::orlex_feed)
CMAKE
outside_build() {  # DIR [cmake arguments...]
  local dir=$1
  shift
  cmake -S "$dir" -B "$dir/build" "$@" >"$dir/configure.out" 2>&1 || fail "configure $dir: $(cat "$dir/configure.out")"
  cmake --build "$dir/build" -j2 >"$dir/build.out" 2>&1 || fail "build $dir: $(cat "$dir/build.out")"
}
outside_build "$E2E_DIR/found" -DCMAKE_PREFIX_PATH="$prefix"
# No Qt, no X11, no test framework for a Feed that only wants the client.
outside_build "$E2E_DIR/added" -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_X11=ON

# Everything is built: now the display, whose watchdog gives each Feed 17 seconds.
start_xvfb
start_display "$prefix/bin/orlexgauges"
E2E_FEED=$feed
expect_send 1 send 0 '2;k1;"Oil temp";1;k2;d2;2;'
expect_send 1 send 1 'k1,80;k2,3;'

# Every window carries the icon; the main window may take a moment to be mapped.
has_icon=
for ((i = 0; i < 50; i++)); do
  for window in $(xdotool search --onlyvisible --name '^Orlex Gauges$' 2>/dev/null); do
    xprop -id "$window" _NET_WM_ICON 2>/dev/null | grep -q '_NET_WM_ICON(CARDINAL) = ' && has_icon=yes
  done
  [[ -n "$has_icon" ]] && break
  sleep 0.1
done
[[ -n "$has_icon" ]] || fail "the main window has no icon"

# The Python example with the installed module.
out=$(PYTHONPATH=$prefix/lib/python3/dist-packages python3 "$prefix/share/doc/orlexgauges/examples/feed_example.py" 2 10 2>&1) ||
  fail "Python example: $out"
[[ "$out" == *"2 PID packets sent"* ]] || fail "Python example: $out"

out=$("$E2E_DIR/c_feed" 2 10 2>&1) || fail "C example: $out"
[[ "$out" == *"2 PID packets sent"* ]] || fail "C example: $out"
[[ "$("$E2E_DIR/found/build/found")" == 1 ]] || fail "find_package project did not get 1"
out=$("$E2E_DIR/added/build/added" 1 10 2>&1) || fail "add_subdirectory project: $out"
[[ "$out" == *"1 PID packets sent"* ]] || fail "add_subdirectory project: $out"

kill -TERM "$E2E_APP_PID"
wait_display_exit 10
[[ "$E2E_EXIT" == 0 ]] || fail "the installed display should close with 0, got: $E2E_EXIT"
ini=$XDG_CONFIG_HOME/orlexgauges/orlexgauges_pidgrid.ini
grep -q '^\[RPM\]' "$ini" || fail "settings not under \$XDG_CONFIG_HOME: $(ls -R "$E2E_DIR/config" 2>&1)"
[[ ! -e "$prefix/bin/orlexgauges_pidgrid.ini" ]] || fail "settings written beside the installed executable"
echo "PASS"
