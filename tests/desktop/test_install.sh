#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installing: `cmake --install` into a scratch prefix gives a launcher, metainfo and icons that
# pass Debian's validators, and the launcher's command starts the installed program on a real X
# server, from any folder, with its words. Then the Debian package: its declared dependencies,
# its files, and the program installed from it into a scratch root.
# Usage: test_install.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
failures=0
check() {  # check NAME CONDITION-STATUS
  if [ "$2" -eq 0 ]; then echo "ok: $1"; else failures=$((failures + 1)); echo "FAILED: $1"; fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# dpkg and its helpers live in the system's sbin, which a normal user's PATH may lack.
export PATH=$PATH:/usr/local/sbin:/usr/sbin:/sbin

# Runs a program until its first frame: success only if it showed its window, which it does
# only once its words are loaded (without them it shows the missing-file message instead).
first_frame() {
  local fifo=$work/frame
  rm -f "$fifo"; mkfifo "$fifo"
  ( cd / && ORTHOVANE_FIRST_FRAME_FD=3 timeout 20 "$@" 3>"$fifo" 2>/dev/null ) &
  local byte
  byte=$(timeout 25 head -c 1 "$fifo" | od -An -tu1 | tr -d ' ')
  wait
  [ "$byte" = "1" ]
}
export -f first_frame
export work

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
check "cmake --install succeeds" $?
[ -x "$prefix/lib/orthovane/orthovane" ] && [ -f "$prefix/lib/orthovane/Words.txt" ]
check "the program and Words.txt lie side by side in lib/orthovane" $?
[ "$(readlink "$prefix/bin/orthovane")" = "../lib/orthovane/orthovane" ]
check "bin/orthovane is a relative link to it" $?
desktop=$prefix/share/applications/orthovane.desktop
desktop-file-validate "$desktop"
check "the desktop entry passes desktop-file-validate" $?
grep -qx 'Categories=Education;Game;' "$desktop"
check "the desktop entry is in Education and Game" $?
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/io.github.orthovane.Orthovane.metainfo.xml" >/dev/null
check "the metainfo passes appstreamcli validate" $?
icon=$prefix/share/icons/hicolor
[ -f "$icon/scalable/apps/orthovane.svg" ] && file "$icon/32x32/apps/orthovane.png" | grep -q '32 x 32'
check "the icon is in the hicolor theme at 32x32 and scalable" $?

command=$(sed -n 's/^Exec=//p' "$desktop")
PATH=$prefix/bin:$PATH QT_QPA_PLATFORM=xcb "$root/scripts/xvfb-run-here" bash -c "first_frame $command"
check "the launcher's command ($command) starts the installed program under Xvfb, with its words" $?

# The package, made from the same build, installed into a scratch root with its own dpkg database.
pkg=$work/pkg
mkdir -p "$pkg"
(cd "$pkg" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
deb=$(ls "$pkg"/*.deb 2>/dev/null | head -1)
[ -n "$deb" ]; check "cpack makes a Debian package" $?
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libflite1 libpulse0 fonts-liberation; do
  echo "$depends" | grep -q "$needed"; check "the package depends on $needed" $?
done
# Debian's own checker finds nothing to say: no error, no warning.
lintian --fail-on error,warning "$deb" >"$work/lintian" 2>"$work/lintian.err"
status=$?
cat "$work/lintian"
[ $status -eq 0 ] && [ ! -s "$work/lintian" ]
check "lintian passes the package without errors or warnings" $?
dpkg-deb -c "$deb" > "$work/contents"
grep -q './usr/lib/orthovane/Words.txt' "$work/contents"
check "the package holds the word list beside the program" $?
grep -q './usr/share/man/man6/orthovane.6.gz' "$work/contents" &&
  grep -q './usr/share/doc/orthovane/copyright' "$work/contents"
check "the package holds its manual page and copyright" $?
target=$work/root
mkdir -p "$target/var/lib/dpkg/info" "$target/var/lib/dpkg/updates"
touch "$target/var/lib/dpkg/status"
# Its dependencies are installed on this machine, not in the scratch root's database.
dpkg --root="$target" --force-depends --force-not-root --force-script-chrootless --log=/dev/null \
  -i "$deb" >"$work/dpkg.log" 2>&1
status=$?
[ $status -eq 0 ] || cat "$work/dpkg.log"
check "dpkg installs it into a scratch root" $status
QT_QPA_PLATFORM=offscreen first_frame "$target/usr/bin/orthovane"
check "the program installed from the package starts with its words" $?

[ "$failures" -eq 0 ]
