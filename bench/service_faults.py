#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the speech service's faults cost the player, beside a screen reader, heard at the sound
server in the real window (the outside-in cases, each round in a desktop of its own):
  died    from speech-dispatcher killed in the middle of a prompt to the game's own voice heard
  frozen  from Enter, with speech-dispatcher stopped (SIGSTOP), to the verdict heard
  service_faults.py [ROUNDS]     prints key=value lines: median, lowest and highest, in seconds
"""

import os
import re
import statistics
import subprocess
import sys

CASES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "desktop",
                     "outside_in.py")
FIGURES = {"died": ("speech_service_dies", r"own voice heard ([0-9.]+) s later"),
           "frozen": ("speech_service_freezes", r"the verdict heard ([0-9.]+) s after it")}


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    seen = {name: [] for name in FIGURES}
    for _ in range(rounds):
        for name, (case, pattern) in FIGURES.items():
            out = subprocess.run([sys.executable, CASES, case], capture_output=True,
                                 text=True).stdout
            found = re.search(pattern, out)
            if found:
                seen[name].append(float(found.group(1)))
    for name, values in seen.items():
        if values:
            print(f"{name}_median={statistics.median(values):.2f} {name}_low={min(values):.2f} "
                  f"{name}_high={max(values):.2f} {name}_rounds={len(values)}")
        else:
            print(f"{name}_rounds=0")


if __name__ == "__main__":
    main()
