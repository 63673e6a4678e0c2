#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on a real X server (Xvfb, 1920x1080, the test run's own): it starts and shows
# its window without asking for the sound server, starts quietly with an unreadable word list and
# says why; at twice the scale it is twice as large. (A missing list, and closing in the middle of a word, are
# outside-in cases, with a window manager and a screen reader's view.)
# Usage: test_desktop.sh PROGRAM
set -uo pipefail
program=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/support/check.sh"
window() {  # up to 20 s, while the program lives: a sanitized build on a busy machine is slow
  for _ in $(seq 400); do
    kill -0 "$pid" 2>/dev/null || return 1
    id=$(xwininfo -root -tree | grep '("orthovane" "Orthovane")' | grep -v '446x' | awk '{print $1}' | head -1)
    if [ -n "$id" ] && xwininfo -id "$id" | grep -q 'IsViewable'; then echo "$id"; return 0; fi
    sleep 0.05
  done
  return 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"; kill -9 $(jobs -p) 2>/dev/null' EXIT
export QT_QPA_PLATFORM=xcb

run_tests() {
  # 1. Start-up: the window appears, without a sound server as with one.
  PULSE_SERVER=unix:/nonexistent/orthovane "$program" 2>"$work/err" & pid=$!
  id=$(window); check "the window appears" $? || {
    kill -0 "$pid" 2>/dev/null || echo "the program ended: $(wait "$pid"; echo "status $?")"
    echo "its standard error:"; cat "$work/err"
    kill -9 "$pid" 2>/dev/null; return 1
  }
  geometry=$(xwininfo -id "$id" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
  [ "$geometry" = "714x62" ]; check "the start window is 714x62 (got $geometry)" $?
  for _ in $(seq 40); do  # the icon follows the first frame
    icons=$(xprop -id "$id" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
    [ -n "$icons" ] && break; sleep 0.05
  done
  echo "$icons" | grep -q 'Icon (32 x 32)' && echo "$icons" | grep -q 'Icon (64 x 64)'
  check "the window offers its icon at 32 and 64 pixels (got $icons)" $?
  # The sound server is not asked for until there is something to say, so the start window
  # says nothing of it (a missing one is told at the first word).
  sleep 1
  ! grep -q 'sound' "$work/err"; check "nothing about the sound server before a word is said" $?
  kill "$pid"; wait "$pid" 2>/dev/null

  # 2. At twice the scale the window is the same layout, twice as large.
  QT_SCALE_FACTOR=2 "$program" 2>/dev/null & pid=$!
  id=$(window); check "the window appears at scale 2" $? || { kill -9 "$pid"; return 1; }
  geometry=$(xwininfo -id "$id" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
  [ "$geometry" = "1428x124" ]; check "at scale 2 the start window is 1428x124 (got $geometry)" $?
  kill "$pid"; wait "$pid" 2>/dev/null

  # 3. A word list that cannot be read (a FIFO, a link that loops): the game starts as usual,
  # with no message box, and says why in one line on standard error.
  for kind in fifo loop; do
    rm -rf "$work/$kind"; mkdir -p "$work/$kind"
    cp "$program" "$work/$kind/"
    if [ $kind = fifo ]; then mkfifo "$work/$kind/Words.txt"; else ln -s Words.txt "$work/$kind/Words.txt"; fi
    PULSE_SERVER=unix:/nonexistent/orthovane "$work/$kind/$(basename "$program")" 2>"$work/$kind.err" & pid=$!
    id=$(window); check "an unreadable word list ($kind) still starts the game" $? || {
      kill -0 "$pid" 2>/dev/null || echo "the program ended: $(wait "$pid"; echo "status $?")"
      echo "its standard error:"; cat "$work/$kind.err"; kill -9 "$pid" 2>/dev/null; continue
    }
    lines=$(grep -c 'Words.txt' "$work/$kind.err")
    [ "$lines" -eq 1 ]; check "one line says why the list ($kind) was not read (got $lines: $(cat "$work/$kind.err"))" $?
    kill "$pid"; wait "$pid" 2>/dev/null
  done
  checks_passed
}
export -f run_tests check checks_passed window
export program work failures passes
# The test run's display (a CTest fixture), or one of its own when run by hand.
if [ -n "${ORTHOVANE_DISPLAY_DIR:-}" ]; then
  DISPLAY=":$(cat "$ORTHOVANE_DISPLAY_DIR/display")" bash -c run_tests
else
  XVFB_SIZE=1920x1080 "$root/scripts/xvfb-run-here" bash -c run_tests
fi
