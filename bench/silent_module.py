#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a speech module that makes no sound costs the player: beside a screen reader whose
speech service's default module runs `true` instead of a voice (speech-dispatcher 0.12 then
begins each message and sends nothing more), from the click on Start to the first audible sample
of the game's own voice at the desktop's sink, and from Enter to each verdict; against the same
with no screen reader, the game's own voice straight away. Interleaved rounds, each desktop in a
process of its own (one process keeps to the first accessibility bus it met).
  silent_module.py [ROUNDS]   prints key=value lines: medians, and the ratio's median and spread
"""

import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "desktop"))
from desktop import RATE, Desktop, first_audible  # noqa: E402
from heard import press  # noqa: E402

BROKEN = 'GenericExecuteSynth "true"\nAddVoice "en" "male1" "none"\n' \
         'GenericLanguage "en" "english" "utf-8"\n'


def one(program, silent):
    """(first phrase, median verdict) in milliseconds, in a desktop of its own."""
    import Xlib.display
    with Desktop(program, "cat\n" * 12, screen_reader="flag" if silent else None) as d:
        if silent:
            # The service started again as the desktop would, with the broken module chosen.
            d.env["XDG_CONFIG_HOME"] = os.path.join(d.dir, ".config")
            conf = os.path.join(d.env["XDG_CONFIG_HOME"], "speech-dispatcher")
            os.makedirs(os.path.join(conf, "modules"))
            with open(os.path.join(conf, "speechd.conf"), "w") as f:
                f.write('AddModule "broken" "sd_generic" "broken.conf"\nDefaultModule "broken"\n')
            with open(os.path.join(conf, "modules", "broken.conf"), "w") as f:
                f.write(BROKEN)
            d.signal_service(9)
            subprocess.run(["speech-dispatcher", "--spawn"], env=d.env, check=True)
        d.launch()
        display = Xlib.display.Display(d.env["DISPLAY"])
        heard = d.record()
        start = d.find("push button", "Start")
        mark = len(heard.samples())
        d.click(start)
        heard.wait_for_phrases(1, quiet=0.5, timeout=30)
        first = (first_audible(heard.samples(), mark) - mark) / RATE * 1000
        verdicts = []
        for n in range(5):
            d.type("cat" if n % 2 == 0 else "dog")
            before = heard.phrases()
            mark = len(heard.samples())
            press(display, "Return")
            heard.wait_for_phrases(len(before) + 2, quiet=0.5, timeout=30)
            verdicts.append((first_audible(heard.samples(), mark) - mark) / RATE * 1000)
        return first, statistics.median(verdicts)


def main():
    program = os.environ.get("ORTHOVANE_PROGRAM", "build/orthovane")
    if sys.argv[1:2] == ["--one"]:
        print(*one(program, sys.argv[2] == "silent"))
        return
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    seen = {"own": [], "silent": []}
    for _ in range(rounds):
        for mode in seen:
            out = subprocess.run([sys.executable, __file__, "--one", mode], capture_output=True,
                                 text=True).stdout.strip().splitlines()
            last = out[-1].split() if out else []
            seen[mode].append(tuple(map(float, last)) if len(last) == 2 else None)
    pairs = [(o, s) for o, s in zip(seen["own"], seen["silent"]) if o and s]
    for i, what in enumerate(("first_phrase", "verdict")):
        ratios = [s[i] / o[i] for o, s in pairs]
        print(f"{what}_own_ms={statistics.median(o[i] for o, _ in pairs):.0f} "
              f"{what}_silent_ms={statistics.median(s[i] for _, s in pairs):.0f} "
              f"{what}_ratio_median={statistics.median(ratios):.2f} "
              f"{what}_ratio_range={min(ratios):.2f}..{max(ratios):.2f}")
    print(f"rounds={len(pairs)} of {rounds}")


if __name__ == "__main__":
    main()
