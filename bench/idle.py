#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the game costs while it says nothing, against a bare Qt window in the same desktop: a
private desktop whose sink is suspended a second after nothing plays on it (as PulseAudio's
module-suspend-on-idle does on a laptop). In each round, for SECONDS each: a bare window alone,
then, in a desktop of its own, the game at its start window and at its results after a short
game. For each: the wakeups of
the program's threads and of the sound server (context switches, from /proc), the program's CPU
time, and the sink's state at the end.
  idle.py PROGRAM BARE_WINDOW [--rounds N] [--seconds S]     prints key=value lines
"""

import argparse
import glob
import json
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "desktop"))
from desktop import Desktop, wait_for  # noqa: E402


def wakeups(pid):
    """Every time a thread of the process was switched in, so far."""
    total = 0
    for status in glob.glob(f"/proc/{pid}/task/*/status"):
        try:
            with open(status) as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except FileNotFoundError:
            pass  # a thread that ended meanwhile
    return total


def cpu_ms(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) * 1000 / os.sysconf("SC_CLK_TCK")


def measure(d, pid, seconds):
    """(program wakeups a second, server wakeups a second, program CPU ms a minute, sink)"""
    server = d.sound.pid
    w0, s0, c0 = wakeups(pid), wakeups(server), cpu_ms(pid)
    time.sleep(seconds)
    w1, s1, c1 = wakeups(pid), wakeups(server), cpu_ms(pid)
    return ((w1 - w0) / seconds, (s1 - s0) / seconds, (c1 - c0) * 60 / seconds, d.sink_state())


def settle(d, pid):
    """Until the program has done its start-up work (a second without CPU time), nothing plays
    and the sink has had its second to fall asleep; 15 s at most."""
    until = time.monotonic() + 15
    used = cpu_ms(pid)
    while time.monotonic() < until:
        time.sleep(1)
        now = cpu_ms(pid)
        if now == used and not d.streams() and d.sink_state() == "SUSPENDED":
            return
        used = now
    # Measured as it is: the row says what the sink was doing.


def one_round(program, bare_window, seconds):
    """A round's three figures, each as (wakeups, server wakeups, CPU ms a minute, sink)."""
    # The bare window alone in a desktop of its own; then the game in another.
    with Desktop(program, sink_sleeps=True) as d:
        bare = subprocess.Popen([bare_window], env=d.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        try:
            settle(d, bare.pid)
            got = {"bare": measure(d, bare.pid, seconds)}
        finally:
            bare.terminate()
            bare.wait()
    with Desktop(program, "cat\n" * 12, sink_sleeps=True) as d:
        d.launch()
        settle(d, d.game.pid)
        got["start"] = measure(d, d.game.pid, seconds)
        d.one_answer_then_stop("cat")
        settle(d, d.game.pid)
        got["results"] = measure(d, d.game.pid, seconds)
    return got


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("program")
    ap.add_argument("bare")
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--seconds", type=float, default=10)
    ap.add_argument("--one-round", action="store_true", help=argparse.SUPPRESS)
    args = ap.parse_args()
    if args.one_round:
        print(json.dumps(one_round(args.program, args.bare, args.seconds)))
        return
    # Each round in a process of its own: the accessibility library keeps to the first desktop
    # it was used in.
    rows = {"start": [], "bare": [], "results": []}
    for _ in range(args.rounds):
        out = subprocess.run([sys.executable, os.path.abspath(__file__), args.program, args.bare,
                              "--seconds", str(args.seconds), "--one-round"],
                             check=True, stdout=subprocess.PIPE, encoding="utf-8").stdout
        for name, figures in json.loads(out.splitlines()[-1]).items():
            rows[name].append(figures)
    for name, got in rows.items():
        print(f"{name}_wakeups={statistics.median(r[0] for r in got):.1f}")
        print(f"{name}_server_wakeups={statistics.median(r[1] for r in got):.1f}")
        print(f"{name}_cpu_ms_per_min={statistics.median(r[2] for r in got):.1f}")
        print(f"{name}_sink={','.join(sorted(set(r[3] or '?' for r in got)))}")
        print(f"{name}_wakeups_all={','.join(f'{r[0]:.1f}' for r in got)}")
    print(f"rounds={args.rounds}")
    print(f"seconds={args.seconds:g}")


if __name__ == "__main__":
    main()
