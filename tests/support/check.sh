# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the shell checks: `check NAME STATUS` counts and prints one check ("ok: NAME", or
# "FAILED: NAME" when STATUS is not 0) and returns STATUS's verdict; `checks_passed` ends with
# the count line and succeeds only if none failed.
failures=0
passes=0
check() {
  if [ "$2" -eq 0 ]; then passes=$((passes + 1)); echo "ok: $1"; return 0; fi
  failures=$((failures + 1)); echo "FAILED: $1"; return 1
}
checks_passed() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
