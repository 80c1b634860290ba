#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the program, the emulator,
# the icon and the menu entry land where a desktop looks for them, and that the
# installed program starts.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/vilta-monitor bin/instrument-emulator \
         share/applications/vilta-monitor.desktop \
         share/icons/hicolor/64x64/apps/vilta-monitor.png; do
  [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done
[ -x "$prefix/bin/vilta-monitor" ] || { echo "vilta-monitor not executable"; exit 1; }
grep -qx 'Exec=vilta-monitor' "$prefix/share/applications/vilta-monitor.desktop"
grep -qx 'Icon=vilta-monitor' "$prefix/share/applications/vilta-monitor.desktop"
file "$prefix/share/icons/hicolor/64x64/apps/vilta-monitor.png" | grep -q '64 x 64'
# The installed program comes up and keeps running until it is stopped.
export XDG_CONFIG_HOME="$prefix/config" QT_QPA_PLATFORM=offscreen
rc=0
timeout 3 "$prefix/bin/vilta-monitor" >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 124 ] || { echo "vilta-monitor exited early with $rc"; exit 1; }
echo "install layout ok"
