#!/usr/bin/env bash
# Checks the monitor installed the two ways a user gets it:
#
#   install_check.sh BUILD_DIR        cmake --install into a scratch tree: the files land
#                                     where a desktop and man look for them, the menu
#                                     entry and the AppStream metadata validate, the
#                                     installed programs start (CTest's install/layout).
#   install_check.sh --deb FILE.deb   the Debian package: lintian, apt-get install, the
#                                     same files under /usr and the programs start,
#                                     apt-get remove, and none of its files is left.
#                                     Needs root or sudo and a system without the package.
set -euo pipefail

fail() {
  echo "install check: $*" >&2
  exit 1
}

# Relative to the installation prefix.
FILES=(
  bin/vilta-monitor bin/instrument-emulator bin/vilta-logger
  share/applications/vilta-monitor.desktop share/mime/packages/vilta-monitor.xml
  share/metainfo/io.github.vilta_monitor.vilta_monitor.metainfo.xml
  share/icons/hicolor/scalable/apps/vilta-monitor.svg
  share/man/man1/vilta-monitor.1.gz share/man/man1/instrument-emulator.1.gz
  share/man/man1/vilta-logger.1.gz share/doc/vilta-monitor/examples/vilta-logger.service
  share/vilta-monitor/norms/sanpin-1.2.3685-21.json
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
  grep -qx 'Exec=vilta-monitor %f' "$prefix/share/applications/vilta-monitor.desktop" ||
    fail "the menu entry does not start vilta-monitor"
  grep -qx 'Icon=vilta-monitor' "$prefix/share/applications/vilta-monitor.desktop" ||
    fail "the menu entry does not show the vilta-monitor icon"

  XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen \
    timeout 3 "$prefix/bin/vilta-monitor" >"$work/monitor.out" 2>&1 || rc=$?
  [ "$rc" -eq 124 ] || { cat "$work/monitor.out" >&2; fail "vilta-monitor exited early with $rc"; }
  "$prefix/bin/instrument-emulator" --help >"$work/emulator.out" ||
    fail "instrument-emulator --help failed"
  grep -q -- '--as <COMn>' "$work/emulator.out" || fail "instrument-emulator --help lists no --as"
  "$prefix/bin/vilta-logger" --help >"$work/logger.out" || fail "vilta-logger --help failed"
  grep -q -- '--out' "$work/logger.out" || fail "vilta-logger --help lists no --out"
  # The example unit starts the installed logger and gives up only where a restart cannot help.
  f="$prefix/share/doc/vilta-monitor/examples/vilta-logger.service"
  grep -q '^ExecStart=/usr/bin/vilta-logger ' "$f" || fail "the example unit starts no vilta-logger"
  grep -qx 'RestartPreventExitStatus=64 73' "$f" || fail "the example unit restarts on 64 or 73"
}

work="$(mktemp -d)"

if [ "${1:-}" != "--deb" ]; then
  trap 'rm -rf "$work"' EXIT
  # A tree like the system's, so that validate-tree finds the files under usr/.
  cmake --install "${1:?build directory}" --prefix "$work/root/usr" >/dev/null
  check_installed "$work/root/usr"
  desktop-file-validate "$work/root/usr/share/applications/vilta-monitor.desktop"
  # The file type's definition is one the MIME database takes.
  mkdir -p "$work/mime/packages"
  cp "$work/root/usr/share/mime/packages/vilta-monitor.xml" "$work/mime/packages/"
  update-mime-database "$work/mime" >/dev/null 2>&1 ||
    fail "update-mime-database rejects the measurement file type"
  grep -q 'application/x-vilta-measurement' "$work/mime/globs2" ||
    fail "the MIME database lacks *.vilta"
  appstreamcli validate-tree --no-net "$work/root" >"$work/appstream.out" 2>&1 ||
    { cat "$work/appstream.out" >&2; fail "the AppStream metadata does not validate"; }
  echo "install layout ok"
  exit 0
fi

deb="$(realpath "${2:?package file}")"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
installed=""
finish() {
  if [ -n "$installed" ]; then $SUDO apt-get remove -y -q vilta-monitor >/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

# Errors and warnings fail. A warning the package must live with is overridden, with
# its reason, in /usr/share/lintian/overrides/vilta-monitor inside the package.
lintian --fail-on error,warning "$deb" || fail "lintian rejects $deb"

if dpkg-query -W -f='${Status}' vilta-monitor 2>/dev/null | grep -q 'ok installed'; then
  fail "vilta-monitor is installed already; remove it first"
fi
listing() { find /usr -xdev | LC_ALL=C sort; }
listing >"$work/before"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep '^/usr/' |
  LC_ALL=C sort >"$work/own"

installed=1
$SUDO apt-get install -y -q "$deb" >"$work/apt.out" || { cat "$work/apt.out" >&2; fail "apt-get install failed"; }
check_installed /usr
$SUDO apt-get remove -y -q vilta-monitor >"$work/apt.out" || { cat "$work/apt.out" >&2; fail "apt-get remove failed"; }
installed=""

# What the package brought and did not take away: its own paths that were not there
# before (shared folders such as the icon theme's stay, as they should).
listing >"$work/after"
left="$(LC_ALL=C comm -13 "$work/before" "$work/after" | LC_ALL=C comm -12 - "$work/own")"
[ -z "$left" ] || fail "left under /usr after removal: $left"
echo "package install and removal ok: $(basename "$deb")"
