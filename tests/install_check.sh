#!/usr/bin/env bash
# Installs the build into a scratch tree and checks that the files land where a desktop
# and man look for them, that the menu entry and the AppStream metadata validate, and
# that the installed programs start.
set -euo pipefail

fail() {
  echo "install check: $*" >&2
  exit 1
}

# Relative to the installation prefix.
FILES=(
  bin/vilta-monitor bin/instrument-emulator
  share/applications/vilta-monitor.desktop
  share/metainfo/io.github.vilta_monitor.vilta_monitor.metainfo.xml
  share/icons/hicolor/scalable/apps/vilta-monitor.svg
  share/man/man1/vilta-monitor.1.gz share/man/man1/instrument-emulator.1.gz
)

# The files are in place, the menu entry names the installed program and icon, and
# the installed programs run: the monitor keeps running until it is stopped, the
# emulator explains itself.
check_installed() {
  local prefix=$1 f size rc=0
  for f in "${FILES[@]}"; do
    [ -e "$prefix/$f" ] || fail "missing $prefix/$f"
  done
  for size in 16 32 48 64 128 256; do
    f="$prefix/share/icons/hicolor/${size}x${size}/apps/vilta-monitor.png"
    file "$f" | grep -q "PNG image data, $size x $size" || fail "no $size px icon at $f"
  done
  grep -qx 'Exec=vilta-monitor' "$prefix/share/applications/vilta-monitor.desktop" ||
    fail "the menu entry does not start vilta-monitor"
  grep -qx 'Icon=vilta-monitor' "$prefix/share/applications/vilta-monitor.desktop" ||
    fail "the menu entry does not show the vilta-monitor icon"

  XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen \
    timeout 3 "$prefix/bin/vilta-monitor" >"$work/monitor.out" 2>&1 || rc=$?
  [ "$rc" -eq 124 ] || { cat "$work/monitor.out" >&2; fail "vilta-monitor exited early with $rc"; }
  "$prefix/bin/instrument-emulator" --help >"$work/emulator.out" ||
    fail "instrument-emulator --help failed"
  grep -q -- '--as <COMn>' "$work/emulator.out" || fail "instrument-emulator --help lists no --as"
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A tree like the system's, so that validate-tree finds the files under usr/.
cmake --install "${1:?build directory}" --prefix "$work/root/usr" >/dev/null
check_installed "$work/root/usr"
desktop-file-validate "$work/root/usr/share/applications/vilta-monitor.desktop"
appstreamcli validate-tree --no-net "$work/root" >"$work/appstream.out" 2>&1 ||
  { cat "$work/appstream.out" >&2; fail "the AppStream metadata does not validate"; }
echo "install layout ok"
