#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Time as the player hears it, at the sound server's monitor, in the real window under Xvfb:
  start    from the click on Start to the first audible sample of the first prompt, the game's
           stream let go at the results before each (so the sound is connected anew)
  verdict  from the Enter key event sent to the window to the first audible sample of the verdict
  pause    from the verdict's last audible sample to the next prompt's first
  gaps     silences of 120 ms or more inside a phrase (the output running dry)
  off      phrases heard more than 50 ms longer or shorter than the game's voice makes them (a
           short underrun stretches a phrase without splitting it)
with both cores kept busy by two spinning processes unless --idle is given.
  heard.py PROGRAM [--answers N] [--starts N] [--idle]     prints key=value lines
"""

import argparse
import os
import statistics
import subprocess
import sys

import Xlib.X
import Xlib.XK
import Xlib.display
import Xlib.ext.xtest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "desktop"))
from desktop import RATE, Desktop, first_audible, has, phrase_length, wait_for  # noqa: E402


def press(display, name):
    code = display.keysym_to_keycode(Xlib.XK.string_to_keysym(name))
    Xlib.ext.xtest.fake_input(display, Xlib.X.KeyPress, code)
    Xlib.ext.xtest.fake_input(display, Xlib.X.KeyRelease, code)
    display.sync()


def click(display):
    """The first button, where the pointer is."""
    Xlib.ext.xtest.fake_input(display, Xlib.X.ButtonPress, 1)
    Xlib.ext.xtest.fake_input(display, Xlib.X.ButtonRelease, 1)
    display.sync()


def first_prompts(d, display, heard, starts):
    """Milliseconds from each click on Start to its prompt's first sound, each game stopped and
    its stream let go before the next."""
    took = []
    for _ in range(starts):
        start = d.find("push button", "Start")
        d.hover(start)
        before = heard.phrases()
        mark = len(heard.samples())
        click(display)
        heard.wait_for_phrases(len(before) + 1, quiet=0.5)
        took.append((first_audible(heard.samples(), mark) - mark) / RATE * 1000)
        d.click(d.find("push button", "Stop"))
        results = d.find("list", "Results")
        wait_for(lambda: has(results, "showing") and not d.streams(), what="the results")
    return took


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("program")
    ap.add_argument("--answers", type=int, default=9)
    ap.add_argument("--starts", type=int, default=5)
    ap.add_argument("--idle", action="store_true")
    ap.add_argument("--phrase-tool", help="phrase_pcm (default: tests/phrase_pcm beside PROGRAM)")
    ap.add_argument("--service", action="store_true",
                    help="as beside a screen reader: heard through the desktop's speech service")
    args = ap.parse_args()
    hogs = [] if args.idle else [subprocess.Popen(["sh", "-c", "while :; do :; done"])
                                 for _ in range(os.cpu_count() or 2)]
    tool = args.phrase_tool or os.path.join(os.path.dirname(os.path.abspath(args.program)),
                                            "tests", "phrase_pcm")
    verdicts, pauses, gaps, off = [], [], 0, 0
    try:
        with Desktop(args.program, "cat\n" * 12,
                     screen_reader="flag" if args.service else None) as d:
            d.launch()
            display = Xlib.display.Display(d.env["DISPLAY"])
            heard = d.record("reader_null" if args.service else "desktop_null")
            starts = []
            if not args.service:
                starts = first_prompts(d, display, heard, args.starts)
                heard = d.record()
            d.click(d.find("push button", "Start"))
            heard.wait_for_phrases(1, quiet=0.5)
            for n in range(args.answers):
                d.type("cat" if n % 2 == 0 else "dog")
                before = heard.phrases()
                # The key event is sent now, straight from this process, with no program to
                # start; the recording's length at this moment is "now" as the monitor counts it
                # (it lags the server a little, so the figure errs long).
                mark = len(heard.samples())
                press(display, "Return")
                after = heard.wait_for_phrases(len(before) + 2, quiet=0.5)
                samples = heard.samples()
                onset = first_audible(samples, mark)
                verdicts.append((onset - mark) / RATE * 1000)
                verdict, prompt = after[len(before)], after[len(before) + 1]
                pauses.append((prompt[0] - verdict[1]) * 1000)
                # Through the game's own voice each phrase should last as the voice makes it. Only
                # within the first level: its last answer's next prompt is another level's.
                if not args.service and n < 9:
                    said = [" correct " if n % 2 == 0 else " wrong ", "Spell Word cat"]
                    for (b, e), text in zip((verdict, prompt), said):
                        off += abs((e - b) - phrase_length(tool, text)) > 0.05
                gaps += len(after) - len(before) - 2
    finally:
        for h in hogs:
            h.kill()
    verdicts.sort()
    p95 = verdicts[min(len(verdicts) - 1, int(round(0.95 * (len(verdicts) - 1))))]
    print(f"verdict_ms_median={statistics.median(verdicts):.1f}")
    print(f"verdict_ms_p95={p95:.1f}")
    print(f"verdict_ms_all={','.join(f'{v:.0f}' for v in verdicts)}")
    if starts:
        print(f"start_ms_median={statistics.median(starts):.1f}")
        print(f"start_ms_all={','.join(f'{v:.0f}' for v in starts)}")
    print(f"pause_ms_median={statistics.median(pauses):.1f}")
    print(f"pause_ms_range={min(pauses):.0f}..{max(pauses):.0f}")
    print(f"gaps_inside_phrases={gaps}")
    if not args.service:
        print(f"phrases_off_length={off}")
    print(f"load={'idle' if args.idle else 'both cores busy'}")
    print(f"route={'speech service' if args.service else 'own voice'}")


if __name__ == "__main__":
    main()
