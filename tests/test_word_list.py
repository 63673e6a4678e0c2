#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The shipped word list holds no word a learner could not spell from what they hear, and the
# check that keeps it so still catches each kind of trap.
#   test_word_list.py WORD_SOUNDS
import os
import subprocess
import sys
import tempfile

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
check = os.path.join(root, "tools", "check_words.py")
sounds = sys.argv[1]
failures = []


def run(path):
    r = subprocess.run([check, sounds, path], stdout=subprocess.PIPE, encoding="utf-8")
    flagged = {}
    for line in r.stdout.splitlines():
        parts = line.split(None, 3)
        if len(parts) == 4 and parts[0] in ("level", "no") and not parts[1].endswith(":"):
            flagged[parts[2]] = parts[3]
    return r.returncode, flagged, r.stdout


def expect(what, ok):
    print(("ok: " if ok else "FAILED: ") + what)
    if not ok:
        failures.append(what)


code, flagged, out = run(os.path.join(root, "data", "Words.txt"))
expect(f"the shipped list passes with nothing flagged (exit {code}): {flagged}",
       code == 0 and not flagged)

# Each trap with what its reason must say; the plain words around them pass.
traps = {
    "sun": "sounds like son", "eye": "sounds like", "flower": "sounds like flour",
    "color": "only in American English (British: colour)",
    "centre": "only in British English", "catalog": "catalogue",
    "christmas": "a proper noun, written Christmas",
    "don't": "a-z", "intelligence": "no level uses it", "cat": "repeats",
    "thoughtfulness": "warning: the voice says",
}
with tempfile.TemporaryDirectory() as work:
    path = os.path.join(work, "Words.txt")
    with open(path, "w", newline="") as f:
        f.write("cat\r\nlemon\r\n" + ",".join(f'"{w}"' for w in traps) + "\r\nhouse\r\n")
    code, flagged, out = run(path)
print(out)
expect(f"a list with traps fails (exit {code})", code == 1)
for word, reason in traps.items():
    expect(f"{word} is flagged for {reason!r}", reason in flagged.get(word, ""))
for word in ("lemon", "house"):
    expect(f"{word} passes", word not in flagged)
sys.exit(1 if failures else 0)
