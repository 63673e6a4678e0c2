#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The version is set once, in CMake's project(); the program takes it from there. What cannot,
# the package's changelog, the software centre's release list and the manual page, must agree
# with it: the newest release of each is this version, on the changelog's date.
# Usage: test_version.sh SOURCE_DIR VERSION
set -uo pipefail
root=$1
version=$2
. "$(dirname "$0")/support/check.sh"

changelog=$(head -1 "$root/debian/changelog" | sed -n 's/^orthovane (\([^)]*\)).*/\1/p')
[ "${changelog%-*}" = "$version" ]
check "debian/changelog's newest entry ($changelog) is of version $version" $?
date=$(date -u -d "$(sed -n 's/^ -- .*>  //p' "$root/debian/changelog" | head -1)" +%F)
release=$(grep -o '<release [^>]*>' "$root/dist/io.github.orthovane.orthovane.metainfo.xml" | head -1)
echo "$release" | grep -q "version=\"$version\"" && echo "$release" | grep -q "date=\"$date\""
check "the metainfo's newest release ($release) is $version of $date" $?
grep -q "^\.TH ORTHOVANE 1 $date \"Orthovane $version\"" "$root/dist/orthovane.1"
check "the manual page is of $version, $date" $?
checks_passed
