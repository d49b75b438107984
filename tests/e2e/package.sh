#!/usr/bin/env bash
# The Debian package: `cpack -G DEB` builds it; unpacked, its display runs, is fed by its orlex-feed,
# and on closing keeps its settings under $XDG_CONFIG_HOME.
# Usage: package.sh EXECUTABLE FEED_TOOL BUILD_DIR
source "$(dirname "$0")/lib.sh" "$@"
build=$3
export XDG_CONFIG_HOME=$E2E_DIR/config XDG_STATE_HOME=$E2E_DIR/state

(cd "$build" && cpack -G DEB -B "$E2E_DIR/package") >"$E2E_DIR/cpack.out" 2>&1 || fail "cpack: $(cat "$E2E_DIR/cpack.out")"
deb=$(ls "$E2E_DIR"/package/orlexgauges_*.deb 2>/dev/null | head -1)
[[ -n "$deb" ]] || fail "no package: $(cat "$E2E_DIR/cpack.out")"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the package does not depend on Qt: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -x "$deb" "$E2E_DIR/root"
usr=$E2E_DIR/root/usr
for f in bin/orlexgauges bin/orlex-feed share/applications/orlexgauges.desktop share/man/man1/orlexgauges.1 \
  share/icons/hicolor/256x256/apps/orlexgauges.png lib/python3/dist-packages/orlexfeed.py; do
  [[ -e "$usr/$f" ]] || fail "not in the package: /usr/$f"
done

start_xvfb
start_display "$usr/bin/orlexgauges"
E2E_FEED=$usr/bin/orlex-feed
expect_send 1 send 0 '1;ECT;"Coolant Temp";1;'
expect_send 1 send 1 'ECT,88;'
kill -TERM "$E2E_APP_PID"
wait_display_exit 10
[[ "$E2E_EXIT" == 0 ]] || fail "the packaged display should close with 0, got: $E2E_EXIT"
grep -q '^\[ECT\]' "$XDG_CONFIG_HOME/orlexgauges/orlexgauges_pidgrid.ini" || fail "settings not under \$XDG_CONFIG_HOME"
[[ ! -e "$usr/bin/orlexgauges_pidgrid.ini" ]] || fail "settings written beside the packaged executable"
echo "PASS"
