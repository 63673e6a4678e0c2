#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installing without a package: `cmake --install` into a scratch prefix (as into ~/.local) gives a
# launcher, metainfo and icons that pass Debian's validators, a manual page, and the launcher's
# command is the installed program, which plays a short game with its words in a private desktop.
# (The Debian package is checked by scripts/package --check.)
# Usage: test_install.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/support/check.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
check "cmake --install succeeds" $?
[ -x "$prefix/lib/orthovane/orthovane" ] && [ -f "$prefix/lib/orthovane/Words.txt" ]
check "the program and Words.txt lie side by side in lib/orthovane" $?
[ "$(readlink "$prefix/bin/orthovane")" = "../lib/orthovane/orthovane" ]
check "bin/orthovane is a relative link to it" $?
desktop=$prefix/share/applications/io.github.orthovane.orthovane.desktop
desktop-file-validate "$desktop"
check "the desktop entry passes desktop-file-validate" $?
grep -qx 'Categories=Education;Languages;' "$desktop"
check "the desktop entry is in Education (Languages), as the package's section is" $?
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/io.github.orthovane.orthovane.metainfo.xml" >/dev/null
check "the metainfo passes appstreamcli validate" $?
[ -f "$prefix/share/man/man1/orthovane.1" ]
check "the manual page is in section 1" $?
icon=$prefix/share/icons/hicolor
[ -f "$icon/scalable/apps/orthovane.svg" ] && file "$icon/32x32/apps/orthovane.png" | grep -q '32 x 32'
check "the icon is in the hicolor theme at 32x32 and scalable" $?

# The launcher's command, found on PATH as the desktop finds it, plays a short game with the
# list installed beside it.
command=$(sed -n 's/^Exec=//p' "$desktop")
program=$(PATH=$prefix/bin:$PATH command -v "$command")
ORTHOVANE_PROGRAM=$program "$root/tests/desktop/outside_in.py" installed
check "the launcher's command ($command) is the installed program, and plays with its words" $?

checks_passed
