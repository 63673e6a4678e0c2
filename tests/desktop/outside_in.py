#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The built program as people meet it: each case starts it in a private desktop, reads it only
through AT-SPI, acts only through X input and hears it only at the sound server.
  outside_in.py [CASE...]   with ORTHOVANE_PROGRAM and ORTHOVANE_PHRASE_TOOL set
"""

import os
import re
from collections import Counter
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import (RATE, Desktop, atspi, extents, has, is_role,  # noqa: E402
                     listen, phrase_length, run_cases, wait_for)

PROGRAM = os.environ.get("ORTHOVANE_PROGRAM", "")
PHRASE_TOOL = os.environ.get("ORTHOVANE_PHRASE_TOOL", "")
# Every level 1 word is "cat" and every level 2 word "frog", so a case knows the word without
# ever seeing it.
CATS = "cat\n" * 12 + "frog\n" * 12
TOLERANCE = 0.05  # seconds between a phrase as heard and as the voice made it


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


def heard_as(lengths, phrases):
    """Whether each stretch heard lasts as long as the phrase expected in its place."""
    if len(lengths) < len(phrases):
        return False
    return all(abs(lengths[i] - phrase_length(PHRASE_TOOL, p)) <= TOLERANCE
               for i, p in enumerate(phrases))


def lengths_of(spans):
    return [round(e - b, 3) for b, e in spans]


def answer_the_first_word_right(d, heard):
    """Types the first word and hears the prompt, the verdict and the next prompt, each whole."""
    d.type("cat")
    d.keys("Return")
    lengths = lengths_of(heard.wait_for_phrases(3))
    expect(heard_as(lengths, ["Spell Word cat", " correct ", "Spell Word cat"]),
           f"heard {lengths}")


def closes_and_ends(d):
    """Closes the window as its close button does; the program ends with success within two
    seconds (the closing animation takes 0.8 s)."""
    closing = time.monotonic()
    d.close_window()
    status = d.exit_status(timeout=10)
    took = time.monotonic() - closing
    print(f"closing took {took:.2f} s")
    expect(status == 0 and took < 2, f"exit status {status} after {took:.2f} s; "
           + d.windows_seen())


def into_the_first_prompt(d, seconds):
    """Starts a game and returns, recording, once so much of its first prompt has been heard."""
    heard = d.record()
    d.click(d.find("push button", "Start"))
    begun = wait_for(lambda: heard.phrases(), what="the prompt to begin")[0][0]
    wait_for(lambda: len(heard.samples()) / RATE >= begun + seconds,
             what=f"{seconds} s of the prompt")
    return heard


def results_lines(d):
    lst = d.find("list", "Results")
    return [lst.get_child_at_index(i).get_name() for i in range(lst.get_child_count())]


def start_window():
    """The start window as a screen reader reads it; the level readable and changing on a click."""
    with Desktop(PROGRAM, CATS) as d:
        d.launch()
        expect(is_role(d.window, "frame"), f"the window is a {d.window.get_role_name()}")
        expect(d.window.get_name() == "Orthovane", f"window named {d.window.get_name()!r}")
        level = d.find("spin button", description="starting level")
        expect(level is not None and level.get_name() == "Level 1",
               f"the level label reads {level and level.get_name()!r}")
        entry = d.find("text", "Answer")
        wait_for(lambda: has(entry, "focused"), what="the entry box to have the focus")
        start, stop, again = (d.find("push button", n) for n in ("Start", "Stop", "Say Again"))
        expect(has(start, "showing") and has(start, "focusable"), "Start can be pressed")
        expect(not has(stop, "showing") and not has(again, "showing"),
               "Stop and Say Again are out of sight")
        expect(not has(d.find("list", "Results"), "showing"), "the results are out of sight")
        notice = d.find("label", description="made the game")
        expect(notice is not None and "Orthovane" in notice.get_name(),
               f"the notice strip reads {notice and notice.get_name()!r}")
        for c in d.controls():
            if has(c, "showing"):
                expect(c.get_name(), f"a {c.get_role_name()} without a name")
                expect(c.get_description(), f"{c.get_name()} without a description")

        names = listen("object:property-change:accessible-name")
        d.click(level)
        wait_for(lambda: level.get_name() == "Level 2", what="the level to read Level 2")
        wait_for(lambda: any(n == "Level 2" for _, n, _ in names),
                 what="the new level to be announced")
        # And without a mouse: Shift+Tab from the entry box reaches the label, Space steps it.
        d.click(entry)
        d.keys("shift+Tab")
        wait_for(lambda: has(level, "focused"), what="the level label to take the focus")
        d.keys("space")
        wait_for(lambda: any(n == "Level 3" for _, n, _ in names),
                 what="Level 3 to be announced")
        # A spin button's own keys: Up steps on, Down steps back round the same ring of six.
        for key, want in [("Up", 4), ("Down", 3), ("Down", 2), ("Down", 1), ("Down", 6),
                          ("Up", 1)]:
            d.keys(key)
            wait_for(lambda: level.get_name() == f"Level {want}",
                     what=lambda: f"{key} to give Level {want} (it reads {level.get_name()})")
        # And its value set outright, as assistive technology may; not during a game.
        value = atspi().Value
        expect(value.set_current_value(level, 5), "the level's value could not be set")
        wait_for(lambda: level.get_name() == "Level 5", what="the level set to 5")
        d.click(d.find("push button", "Start"))
        wait_for(lambda: has(d.find("push button", "Stop"), "showing"), what="the game")
        value.set_current_value(level, 2)
        expect(level.get_name() == "Level 5" and not has(level, "enabled"),
               f"the level changed during a game: {level.get_name()}")


def game_longer_than_the_list():
    """Fourteen answers typed ahead through X keys, into the second level: verdicts heard in
    order, and after Stop the results read from the tree with the score line in view and
    current; a teacher copies them."""
    with Desktop(PROGRAM, CATS) as d:
        d.launch()
        results, lines = fourteen_answers(d)
        # A teacher keeps the results: every line selected and copied, read back from the
        # desktop's clipboard.
        d.click(results.get_child_at_index(len(lines) - 1))
        d.keys("ctrl+a", "ctrl+c")
        copied = wait_for(lambda: d.clipboard() or None, what="the copied results")
        expect(copied.split("\n") == lines, f"copied {copied!r}")
        expect(d.find("spin button", description="starting level").get_name() == "Level 1", "back at Level 1")


def gnome(sound="pulseaudio"):
    """On GNOME (mutter, Qt's own decoration with its shadow), the program started as GNOME
    starts it: the fourteen-answer game typed through the compositor's keyboard, the results
    list and its score line inside the window, the score selected and the list focused, and so
    on the screen mutter casts; the top row whole in play; Alt+F4 closes it. Heard through
    PulseAudio: through PipeWire, see gnome_game_on_pipewire."""
    with Desktop(PROGRAM, CATS, wayland="gnome", sound=sound) as d:
        d.launch()
        start = d.find("push button", "Start")
        play = None
        def in_play():
            nonlocal play
            play = extents(d.window)
            return has(d.find("push button", "Stop"), "showing")
        results, lines = fourteen_answers(d, started=in_play)
        for control in (start, d.find("text", "Answer")):
            expect(inside(extents(control), play), f"{control.get_name()} {extents(control)} "
                   f"whole in the window in play {play}")
        window, score = extents(d.window), extents(results.get_child_at_index(len(lines) - 1))
        expect(inside(extents(results), window) and inside(score, window),
               f"results {extents(results)} and score {score} inside the window {window}")
        expect(has(results, "focused"), "the results list has the focus")
        seen_on_screen(d.screencast(), window, score)
        closing = time.monotonic()
        d.keys("alt+F4")
        status = d.exit_status(timeout=10)
        expect(status == 0, f"exit status {status} {time.monotonic() - closing:.2f} s after Alt+F4")


def seen_on_screen(picture, window, line):
    """The window as the screen shows it: its face (the commonest grey on the screen) whole, at
    the size AT-SPI gives it, and `line` (at AT-SPI's place in it) drawn as the selected line, a
    band of one strong colour across it."""
    from collections import Counter
    from PIL import Image, ImageFilter
    pixels = picture.getdata()
    grey = Counter(p for p in pixels if p[0] == p[1] == p[2] and 100 < p[0] < 240).most_common(1)
    expect(grey, "no window face on the screen")
    face = Image.new("L", picture.size)
    face.putdata([255 if p == grey[0][0] else 0 for p in pixels])
    # Worn down by two pixels, the face loses the odd pixel of that grey in the title bar's
    # icon or lettering, and keeps its margins; its edges are then put back.
    left, top, right, bottom = face.filter(ImageFilter.MinFilter(5)).getbbox()
    left, top, right, bottom = left - 2, top - 2, right + 2, bottom + 2
    expect((right - left, bottom - top) == window[2:],
           f"the window's face on the screen {(left, top, right, bottom)}, AT-SPI says {window}")
    x, y, w, h = line
    for row in range(top + y + 1, top + y + h - 1):
        colour, count = Counter(picture.getpixel((c, row))
                                for c in range(left + x, left + x + w)).most_common(1)[0]
        expect(count > 0.8 * w and max(colour) - min(colour) > 60,
               f"row {row - top} of the line {line} on the screen is mostly {colour}, not a "
               f"selection's band")


def gnome_game_on_pipewire():
    """The GNOME game heard through PipeWire and its PulseAudio server, as GNOME plays it: that
    server keeps a phrase's last part of a period back until the stream is written to again, and
    now and then takes a phrase as if playing, plays nothing and never answers its drain."""
    gnome(sound="pipewire")


def inside(inner, outer):
    """Whether the rectangle (x, y, width, height) `inner` lies wholly within `outer`."""
    x, y, w, h = inner
    ox, oy, ow, oh = outer
    return ox <= x and oy <= y and x + w <= ox + ow and y + h <= oy + oh


def fourteen_answers(d, started=None):
    """Plays the program from the keyboard: fourteen answers typed ahead, into the
    second level, the verdicts and prompts heard in order, then Stop. Returns the results list
    and its lines, once the score line is in view and selected."""
    answers = ["cat", "dog"] * 5 + ["frog", "dog"] * 2
    word = ["cat"] * 10 + ["frog"] * 4
    heard = d.record()
    d.click(d.find("push button", "Start"))
    if started:
        wait_for(started, what="the game")
    for a in answers:
        d.type(a)
        d.keys("Return")
    spans = heard.wait_for_phrases(1 + 2 * len(answers), timeout=90)
    expected = ["Spell Word cat"]
    for i, a in enumerate(answers):
        expected += [" correct " if a == word[i] else " wrong ",
                     "Spell Word " + word[min(i + 1, len(word) - 1)]]
    lengths = lengths_of(spans)
    expect(heard_as(lengths, expected), f"heard {lengths}")
    d.click(d.find("push button", "Stop"))
    results = d.find("list", "Results")
    wait_for(lambda: has(results, "showing"), what="the results")
    lines = results_lines(d)
    expect(lines == [f"{w}  {a}  {'Correct' if a == w else 'Wrong'}"
                     for w, a in zip(word, answers)]
           + ["7 Correct Out Of 14"], f"results read {lines}")
    first, last = results.get_child_at_index(0), results.get_child_at_index(len(lines) - 1)
    def scrolled_to_the_score():
        lx, ly, lw, lh = extents(results)
        _, fy, _, _ = extents(first)
        _, y, _, h = extents(last)
        return fy < ly and ly <= y and y + h <= ly + lh
    wait_for(scrolled_to_the_score, what="the list scrolled to its end, the score in view")
    expect(has(last, "selected"), "the score line is the current item")
    return results, lines


def word_never_in_the_tree():
    """While a word is asked, nothing a screen reader can read holds it, hidden objects too."""
    words = ["ant", "bee", "cow", "elk", "fox", "gnu", "hen", "jay", "owl", "pig", "rat", "yak"]
    with Desktop(PROGRAM, "\n".join(words) + "\n") as d:
        d.launch()
        d.click(d.find("push button", "Start"))
        results = d.find("list", "Results")
        for answered in range(5):
            wait_for(lambda: results.get_child_count() == answered, what=f"{answered} answers")
            text = " ".join(d.all_text())
            found = [w for w in words if re.search(rf"\b{w}\b", text)]
            # The words answered so far are in the (hidden) results; the one asked is not.
            expect(len(found) <= answered, f"{found} readable after {answered} answers")
            d.type("zz")
            d.keys("Return")


def double_click_on_start():
    """A double-click on Start starts one game, and it goes on."""
    with Desktop(PROGRAM, CATS) as d:
        d.launch()
        heard = d.record()
        d.click(d.find("push button", "Start"), repeat=2)
        heard.wait_for_phrases(1)
        answer_the_first_word_right(d, heard)
        expect(has(d.find("push button", "Stop"), "showing"), "the game goes on")
        expect(not has(d.find("list", "Results"), "showing"), "no results shown")


def double_click_on_say_again():
    """A child's double-click on Say Again while the word is said: the word is said once more,
    nothing is left pressed, and the answer typed after it is judged."""
    with Desktop(PROGRAM, CATS) as d:
        d.launch()
        heard = d.record()
        d.click(d.find("push button", "Start"))
        wait_for(lambda: heard.phrases(), what="the prompt to begin")
        began = time.monotonic()
        d.hover(d.find("push button", "Say Again"))
        # The fault staged: the first click as the prompt ends, the second as the word is said
        # again for it, 0.3 s later.
        time.sleep(max(0.0, began + phrase_length(PHRASE_TOOL, "Spell Word cat") - 0.15
                       - time.monotonic()))
        d.xdo("click", "--repeat", "2", "--delay", "300", "1")
        lengths = lengths_of(heard.wait_for_phrases(2))
        expect(heard_as(lengths, ["Spell Word cat", "cat"]), f"heard {lengths}")
        expect(not has(d.find("push button", "Say Again"), "pressed"), "Say Again stays pressed")
        d.type("cat")
        d.keys("Return")
        lengths = lengths_of(heard.wait_for_phrases(4))
        expect(heard_as(lengths, ["Spell Word cat", "cat", " correct ", "Spell Word cat"]),
               f"heard {lengths}")
        d.click(d.find("push button", "Stop"))
        wait_for(lambda: has(d.find("list", "Results"), "showing"), what="the results")
        expect(results_lines(d) == ["cat  cat  Correct", "1 Correct Out Of 1"],
               f"results read {results_lines(d)}")


def held_up_mid_word():
    """The program held up for a third of a second in the middle of a prompt, as a busy machine
    holds it: the prompt is heard whole all the same, and so is the game after it."""
    with Desktop(PROGRAM, CATS) as d:
        d.launch()
        heard = d.record()
        d.click(d.find("push button", "Start"))
        wait_for(lambda: heard.phrases(), what="the prompt to begin")
        d.game.send_signal(signal.SIGSTOP)
        time.sleep(0.3)  # the fault staged: how long a loaded machine may leave it unscheduled
        d.game.send_signal(signal.SIGCONT)
        heard.wait_for_phrases(1)
        answer_the_first_word_right(d, heard)


def tooltip_during_a_word():
    """A tooltip that times out while a word is spoken leaves the word whole."""
    with Desktop(PROGRAM, CATS) as d:
        d.launch()
        heard = d.record()
        d.click(d.find("push button", "Start"))
        heard.wait_for_phrases(1)
        d.hover(d.find("label", description="made the game"))
        wait_for(lambda: any(is_role(d.app.get_child_at_index(i), "tool tip")
                             and has(d.app.get_child_at_index(i), "showing")
                             for i in range(d.app.get_child_count())), what="the tooltip")
        # A tooltip closes ten seconds after it shows. Answering 8.7 s after it showed puts that
        # moment in the middle of the next prompt, after the verdict; nothing can be awaited here.
        time.sleep(8.7)
        answer_the_first_word_right(d, heard)


def closing_mid_word():
    """Closing the window (as its close button does) in the middle of a word ends the program
    with success, within two seconds (the closing animation takes 0.8 s)."""
    with Desktop(PROGRAM, CATS) as d:
        d.launch()
        heard = d.record()
        d.click(d.find("push button", "Start"))
        wait_for(lambda: heard.phrases(), what="the prompt to begin")
        closes_and_ends(d)


def sound_server_restarts(wayland=False):
    """The sound server killed 0.8 s into a prompt and back 0.3 s later, then killed again 0.6 s
    after that and back once more, as a desktop's audio restarts: the game plays on, the prompt is
    heard again whole from the last server. Then killed for good: the game goes on without sound,
    says so in one line, and its results are whole."""
    with Desktop(PROGRAM, CATS, wayland=wayland) as d:
        d.launch()
        heard = into_the_first_prompt(d, 0.8)
        # The fault staged: away 0.3 s, back for 0.6 s, away 0.3 s again.
        for back_for in (0.6, None):
            d.kill_sound()
            time.sleep(0.3)
            d.restart_sound()
            if back_for:
                time.sleep(back_for)
        heard = d.record()
        lengths = lengths_of(heard.wait_for_phrases(1))
        expect(heard_as(lengths, ["Spell Word cat"]), f"heard from the new server {lengths}")
        answer_the_first_word_right(d, heard)

        d.kill_sound()
        d.type("dog")
        d.keys("Return")
        results = d.find("list", "Results")
        wait_for(lambda: results.get_child_count() == 2, timeout=20, what="the second answer")
        d.click(d.find("push button", "Stop"))
        wait_for(lambda: has(results, "showing"), timeout=20, what="the results")
        lines = results_lines(d)
        expect(lines == ["cat  cat  Correct", "cat  dog  Wrong", "1 Correct Out Of 2"],
               f"results read {lines}")
        expect(d.game.poll() is None, f"the program ended with status {d.game.poll()}")
        d.game_err.seek(0)
        said = [line for line in d.game_err.read().splitlines() if line.strip()]
        expect(len(said) == 1 and "sound" in said[0], f"standard error said {said}")


def gnome_sound_restarts():
    """As sound_server_restarts, on GNOME: PipeWire, its session manager and its PulseAudio
    server killed together and started again, the sink found anew."""
    sound_server_restarts(wayland="gnome")


def restart_heard_again_says_nothing():
    """The sound server restarted in the middle of a prompt, its new sink slow to wake as a
    device coming out of suspend is: the prompt is heard again, and since no word went unheard
    the game says nothing of lost sound, and goes on with the stream it said it again on."""
    with Desktop(PROGRAM, CATS) as d:
        d.launch()
        into_the_first_prompt(d, 0.5)
        d.kill_sound()
        time.sleep(0.3)
        d.restart_sound(asleep=True)
        heard = d.record()
        heard.wait_for_phrases(1)
        streams = d.streams()
        # Past every deadline the game keeps for a phrase, a connect's and a phrase's.
        time.sleep(5)
        d.type("cat")
        d.keys("Return")
        heard.wait_for_phrases(3)  # the prompt again, the verdict, the next prompt
        expect(d.streams() == streams, f"streams {streams}, then {d.streams()}")
        d.game_err.seek(0)
        said = d.game_err.read().strip()
        expect(not said, f"standard error said {said!r}")


def device_sleeps_between_games():
    """With a sink that is suspended once nothing plays on it (module-suspend-on-idle, as on a
    laptop): the game holds no stream at the start window, so the sink sleeps; it plays the game;
    and at the results the stream is let go and the sink sleeps again."""
    with Desktop(PROGRAM, CATS, sink_sleeps=True) as d:
        d.launch()
        wait_for(lambda: d.sink_state() == "SUSPENDED", what="the sink asleep at the start")
        expect(d.streams() == [], f"streams at the start window: {d.streams()}")
        d.one_answer_then_stop("cat")
        wait_for(lambda: not d.streams() and d.sink_state() == "SUSPENDED",
                 what=lambda: f"the sink asleep at the results ({d.sink_state()}, "
                              f"streams {d.streams()})")


def suspended_device():
    """The sound device suspended in the middle of a prompt (as pasuspender or a laptop's power
    management do): a click on Stop a second later is answered within three seconds, and once the
    device plays again so does the game."""
    with Desktop(PROGRAM, CATS) as d:
        d.launch()
        heard = d.record()
        d.click(d.find("push button", "Start"))
        wait_for(lambda: heard.phrases(), what="the prompt to begin")
        d._run(["pactl", "suspend-sink", "desktop_null", "1"], check=True)
        time.sleep(1.0)  # the fault staged: the player waits a second, then gives up
        results = d.find("list", "Results")
        clicked = time.monotonic()
        d.click(d.find("push button", "Stop"))
        wait_for(lambda: has(results, "showing"), timeout=30, what="the results")
        took = time.monotonic() - clicked
        print(f"Stop answered {took:.2f} s after the click, the device suspended")
        expect(took < 3, f"Stop took {took:.2f} s")
        d._run(["pactl", "suspend-sink", "desktop_null", "0"], check=True)
        heard = d.record()
        d.click(d.find("push button", "Start"))
        # What the stalled stream still held (a few milliseconds) may sound as the device wakes;
        # then the new prompt, whole.
        lengths = lengths_of(heard.wait_for_phrases(1))
        expect(heard_as(lengths[-1:], ["Spell Word cat"]),
               f"heard after the device came back {lengths}")


def speech_service_dies():
    """Beside a screen reader, the speech service killed in the middle of a prompt: the game
    notices at once and says the prompt in its own voice, whole, within about a second; the game
    goes on."""
    with Desktop(PROGRAM, CATS, screen_reader="flag") as d:
        d.launch()
        own, service = d.record(), d.record("reader_null")
        d.click(d.find("push button", "Start"))
        begun = wait_for(lambda: service.phrases(), what="the prompt through the service")[0][0]
        # The service says "Spell Word cat" in about a second.
        wait_for(lambda: len(service.samples()) / RATE >= begun + 0.4, what="0.4 s of the prompt")
        killed = time.monotonic()
        d.signal_service(signal.SIGKILL)
        wait_for(lambda: own.phrases(), timeout=30, what="the game's own voice")
        took = time.monotonic() - killed
        print(f"the service killed: the game's own voice heard {took:.2f} s later")
        # Not the service's patience for a phrase waited out.
        expect(took < 5, f"the game's own voice took {took:.2f} s")
        lengths = lengths_of(own.wait_for_phrases(1))
        expect(heard_as(lengths, ["Spell Word cat"]), f"heard in the game's own voice {lengths}")
        answer_the_first_word_right(d, own)


def speech_service_freezes():
    """Beside a screen reader, the speech service frozen (SIGSTOP) between phrases: the window
    stays readable while the game waits, the verdict is heard in the game's own voice within
    about a second of Enter, and the window closes and the program ends while it is frozen."""
    with Desktop(PROGRAM, CATS, screen_reader="flag") as d:
        d.launch()
        own, service = d.record(), d.record("reader_null")
        d.click(d.find("push button", "Start"))
        service.wait_for_phrases(1)
        d.signal_service(signal.SIGSTOP)
        d.type("cat")
        entered = time.monotonic()
        d.keys("Return")
        # Read over AT-SPI while the game waits on the service: only a live event thread answers.
        stop = d.find("push button", "Stop")
        read = time.monotonic() - entered
        expect(stop is not None and has(stop, "showing"), "Stop readable while the game waits")
        wait_for(lambda: own.phrases(), timeout=30, what="the verdict in the game's own voice")
        took = time.monotonic() - entered
        print(f"the service frozen: the tree read {read:.2f} s after Enter, the verdict heard "
              f"{took:.2f} s after it")
        expect(took < 5, f"the verdict took {took:.2f} s")
        lengths = lengths_of(own.wait_for_phrases(2))
        expect(heard_as(lengths, [" correct ", "Spell Word cat"]), f"heard {lengths}")
        closes_and_ends(d)  # the service still frozen


def opens_on_screen():
    """Started again just after it closed, ten times with both cores busy, the window opens on
    the screen and centred every time, as a screen reader finds it."""
    hogs = [subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(2)]
    try:
        # A wide screen: the closing slide takes the most steps.
        with Desktop(PROGRAM, CATS, screen="1920x1080") as d:
            places = []
            for _ in range(10):
                d.launch()
                x, y, w, h = extents(d.window)
                places.append((x, y))
                d.close_window()
                expect(d.exit_status(timeout=10) == 0, "the program did not end")
            print(f"opened at {places}")
            centred = [(x, y) for x, y in places if abs(x + w / 2 - 960) <= 8 and 0 <= y and
                       y + h <= 1080]
            expect(len(centred) == len(places), f"opened off the centre: {places}")
    finally:
        for h in hogs:
            h.kill()


def ending_cancels_speech():
    """Beside a screen reader, the game ended in the middle of a word, by SIGTERM and by closing
    its window: nothing more of the word is said once the game has gone."""
    with Desktop(PROGRAM, "responsibilities\n" * 12, screen_reader="flag") as d:
        for how in ("SIGTERM", "closing"):
            d.launch()
            level = d.find("spin button", description="starting level")
            atspi().Value.set_current_value(level, 6)
            wait_for(lambda: level.get_name() == "Level 6", what="the level set to 6")
            service = d.record("reader_null")
            d.click(d.find("push button", "Start"))
            begun = wait_for(lambda: service.phrases(), what="the prompt through the service")[0][0]
            # "Spell Word responsibilities" takes over two seconds; ended half a second in.
            wait_for(lambda: len(service.samples()) / RATE >= begun + 0.5, what="0.5 s of it")
            if how == "SIGTERM":
                d.game.send_signal(signal.SIGTERM)
            else:
                d.close_window()
            expect(d.exit_status(timeout=10) is not None, f"the program did not end ({how})")
            gone = len(service.samples()) / RATE
            # Listened to for as long as the rest of the word would take.
            wait_for(lambda: len(service.samples()) / RATE >= gone + 2.0, what="two seconds more")
            said = sum(min(e, gone + 2.0) - max(b, gone + 0.1) for b, e in service.phrases()
                       if e > gone + 0.1)
            print(f"{how}: {said:.2f} s said after the game had gone")
            expect(said < 0.1, f"{how}: the service said {said:.2f} s more after the game went")
            service.stop()


def speech_service_frozen_mid_word():
    """Beside a screen reader, the speech service frozen for three seconds 0.4 s into a prompt:
    the game's own voice says the prompt, and when the service wakes it says nothing more of it,
    so the two voices never sound at once and the word is heard once."""
    with Desktop(PROGRAM, "responsibilities\n" * 12, screen_reader="flag") as d:
        d.launch()
        level = d.find("spin button", description="starting level")
        atspi().Value.set_current_value(level, 6)
        wait_for(lambda: level.get_name() == "Level 6", what="the level set to 6")
        own, service = d.record(), d.record("reader_null")
        d.click(d.find("push button", "Start"))
        begun = wait_for(lambda: service.phrases(), what="the prompt through the service")[0][0]
        wait_for(lambda: len(service.samples()) / RATE >= begun + 0.4, what="0.4 s of it")
        d.signal_service(signal.SIGSTOP)
        time.sleep(3.0)  # the fault staged: frozen this long
        d.signal_service(signal.SIGCONT)
        said = own.wait_for_phrases(1, quiet=1.0, timeout=20)
        heard_own, heard_service = own.phrases(), service.phrases()
        print(f"own voice {lengths_of(heard_own)}, service {lengths_of(heard_service)}, at once "
              f"{overlap(heard_own, heard_service):.3f} s")
        expect(heard_as(lengths_of(said), ["Spell Word responsibilities"]),
               f"the game's own voice said {lengths_of(said)}")
        expect(overlap(heard_own, heard_service) < 0.05,
               f"both voices at once for {overlap(heard_own, heard_service):.3f} s")
        after = sum(e - max(b, said[0][0]) for b, e in heard_service if e > said[0][0])
        expect(after < 0.1, f"the service said {after:.2f} s more once the game's voice spoke")


def luminance(rgb):
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)))
    return (lb + 0.05) / (la + 0.05)


def text_contrast(image, box):
    """The contrast of the text in a box of the screenshot with what is behind it: the commonest
    colour is the background, the colour that stands out most from it is the text's (the stems of
    a letter are drawn in its full colour). None when the box holds no text."""
    x, y, w, h = box
    pixels = list(image.crop((x, y, x + w, y + h)).getdata())
    background = Counter(pixels).most_common(1)[0][0]
    text = max(pixels, key=lambda p: contrast(p, background))
    marked = sum(1 for p in pixels if contrast(p, background) > 1.5)
    return (contrast(text, background), background, text) if marked >= 8 else None


def readable_in(theme):
    """Every text the window shows reads at 4.5:1 or better against what is behind it (WCAG AA),
    measured on screenshots of the real window at the start, during play and with the results,
    enabled and disabled alike; at the usual text size and at a large one (144 dpi)."""
    failures = []
    with Desktop(PROGRAM, CATS, theme=theme) as d:
        for dpi in (96, 144):
            d.text_size(dpi)
            d.launch()
            readable_window(d, f"{theme or 'default'} theme at {dpi} dpi", failures)
            d.game.terminate()
            d.game.wait()
    expect(not failures, "too little contrast: " + "; ".join(failures))


def readable_window(d, setting, failures):
    """What readable_in measures, in one window; a shortfall is added to failures."""
    level = d.find("spin button", description="starting level")
    entry = d.find("text", "Answer")

    def measure(scene, controls):
        image = d.screenshot()
        # In the window's own coordinates: from the screen's, as this Qt's window
        # coordinates over AT-SPI are not the window's.
        wx, wy, _, _ = extents(d.window)
        for name, control in controls:
            x, y, w, h = extents(control)
            x, y = x - wx, y - wy
            # Inside its frame, where the text lies.
            found = text_contrast(image, (x + 3, y + 3, w - 6, h - 6))
            what = f"{setting}, {scene}: {name}"
            if found is None:
                failures.append(f"{what}: no text seen")
                continue
            ratio, behind, text = found
            print(f"{what}: {ratio:.2f}:1 (#{'%02x%02x%02x' % text} on "
                  f"#{'%02x%02x%02x' % behind})")
            if ratio < 4.5:
                failures.append(f"{what}: {ratio:.2f}:1")

    def button(name):
        return d.find("push button", name)

    measure("start", [("the level", level), ("Start", button("Start"))])
    d.click(button("Start"))
    wait_for(lambda: has(button("Stop"), "showing"), what="the game")
    d.type("cat")
    d.keys("Return")
    results = d.find("list", "Results")
    wait_for(lambda: results.get_child_count() == 1, timeout=20, what="the answer")
    d.type("ele")
    wait_for(lambda: atspi().Text.get_text(entry, 0, -1) == "ele", timeout=20,
             what="the typed letters")
    measure("play", [("the level, disabled", level), ("the entry box", entry),
                     ("Stop", button("Stop")), ("Say Again", button("Say Again"))])
    d.click(button("Stop"))
    wait_for(lambda: has(results, "showing"), what="the results")
    wait_for(lambda: has(results.get_child_at_index(1), "selected"),
             what="the score line current")
    measure("results", [("the level", level), ("the entry box, disabled", entry),
                        ("Start", button("Start")),
                        ("an answer line", results.get_child_at_index(0)),
                        ("the score line, selected", results.get_child_at_index(1))])


def readable_in_the_default_theme():
    readable_in(None)


def readable_in_a_dark_theme():
    """The same, with GTK's Adwaita dark through Qt's GTK platform theme."""
    readable_in("dark")


def readable_in_a_high_contrast_theme():
    """The same, with white and yellow on black through qt6ct."""
    readable_in("high-contrast")


def buttons_whole_at_fractional_scales():
    """At 1.25 and 1.5 times the scale, and at a large text size (144 dpi), the entry box and the
    Start button are drawn whole: each has a frame line along its bottom edge as along its top."""
    with Desktop(PROGRAM, CATS) as d:
        for dpi, scale in ((96, "1.25"), (96, "1.5"), (144, None)):
            d.text_size(dpi)
            d.launch({"QT_SCALE_FACTOR": scale} if scale else {})
            scale = scale or f"1 at {dpi} dpi"
            image = d.screenshot()
            wx, wy, ww, _ = extents(d.window)
            # AT-SPI gives logical pixels, the screenshot the screen's.
            f = image.width / ww
            for name, control in [("Start", d.find("push button", "Start")),
                                  ("the entry box", d.find("text", "Answer"))]:
                x, y, w, h = extents(control)
                x, y, w, h = (round(v * f) for v in (x - wx, y - wy, w, h))

                def framed(rows):
                    """Whether one of these rows is a line across the control, unlike the
                    window's grey below and above it."""
                    for row in rows:
                        line = [image.getpixel((c, row))
                                for c in range(x + w // 10, x + w * 9 // 10)]
                        if sum(contrast(p, (192, 192, 192)) > 1.3 for p in line) > 0.9 * len(line):
                            return True
                    return False
                expect(framed(range(y - 1, y + 3)), f"at scale {scale} {name} has no top edge")
                expect(framed(range(y + h - 3, y + h + 1)),
                       f"at scale {scale} {name} has no bottom edge")
            d.game.terminate()
            d.game.wait()


def text_rows(image, box):
    """The first and last rows of a box of the screenshot that hold text (pixels standing out
    from the box's commonest colour by 3:1), or None."""
    x, y, w, h = box
    background = Counter(image.crop(box_corners(box)).getdata()).most_common(1)[0][0]
    rows = [r for r in range(y, y + h)
            if any(contrast(image.getpixel((c, r)), background) >= 3 for c in range(x, x + w))]
    return (rows[0], rows[-1]) if rows else None


def box_corners(box):
    x, y, w, h = box
    return x, y, x + w, y + h


def large_text():
    """At the desktop's large text (Xft.dpi at 144 and 192, as GNOME's text scaling and KDE's
    font DPI set it) the window, its controls and their text grow together in the layout's
    proportions, 1.5 and 2 times the window at 96 dpi, nothing cut or overlapping; at 144 a
    screen reader is told where each control really is."""
    with Desktop(PROGRAM, CATS, screen="1920x1080") as d:
        heights = {}
        for dpi in (96, 144, 192):
            d.text_size(dpi)
            d.launch()
            f = dpi / 96
            image = d.screenshot()
            expect(abs(image.width - 714 * f) <= 1 and abs(image.height - 62 * f) <= 1,
                   f"at {dpi} dpi the window is {image.size}")
            wx, wy, ww, wh = extents(d.window)
            if dpi < 168:
                # Laid out in the screen's own pixels: what AT-SPI says is what is drawn.
                expect((ww, wh) == image.size, f"at {dpi} dpi AT-SPI says the window is "
                       f"{ww}x{wh}, drawn {image.size}")
            # Above that Qt doubles its pixels, and AT-SPI is told them undoubled.
            k = image.width / ww
            boxes = {}
            for name, control in [("the level", d.find("spin button", description="level")),
                                  ("the entry box", d.find("text", "Answer")),
                                  ("Start", d.find("push button", "Start"))]:
                x, y, w, h = extents(control)
                boxes[name] = tuple(round(v * k) for v in (x - wx, y - wy, w, h))
                bx, by, bw, bh = boxes[name]
                expect(bx >= 0 and by >= 0 and bx + bw <= image.width and by + bh <= image.height,
                       f"at {dpi} dpi {name} {boxes[name]} lies outside the window {image.size}")
            names = list(boxes)
            for i, a in enumerate(names):
                for b in names[i + 1:]:
                    ax, ay, aw, ah = boxes[a]
                    bx, by, bw, bh = boxes[b]
                    expect(ax + aw <= bx or bx + bw <= ax or ay + ah <= by or by + bh <= ay,
                           f"at {dpi} dpi {a} {boxes[a]} overlaps {b} {boxes[b]}")
            for name in ("the level", "Start"):
                x, y, w, h = boxes[name]
                rows = text_rows(image, (x + 2, y + 2, w - 4, h - 4))
                expect(rows and rows[0] > y + 2 and rows[1] < y + h - 3,
                       f"at {dpi} dpi the text of {name} is cut or missing: rows {rows} in {boxes[name]}")
            first, last = text_rows(image, boxes["the level"])
            heights[dpi] = last - first + 1
            print(f"{dpi} dpi: window {image.size}, \"Level 1\" {heights[dpi]} px high")
            d.game.terminate()
            d.game.wait()
        for dpi in (144, 192):
            ratio = heights[dpi] / heights[96]
            expect(abs(ratio - dpi / 96) <= 0.15,
                   f"\"Level 1\" is {heights[dpi]} px high at {dpi} dpi, {heights[96]} at 96")


def heights_in_play_and_results(d):
    """The whole window's height in play and with the results, and its client area's."""
    d.launch()
    heard = d.record()
    d.click(d.find("push button", "Start"))
    stop = d.find("push button", "Stop")
    wait_for(lambda: has(stop, "showing"), what="the game")
    play = wait_for(lambda: (d.outer_size()[1], d.screenshot().height) if
                    d.outer_size()[1] != 62 else None, what="the play layout")
    # Once the word is heard: a click at once, where Start was, would be a double-click on it.
    heard.wait_for_phrases(1)
    d.click(stop)
    wait_for(lambda: has(d.find("list", "Results"), "showing"), what="the results")
    results = wait_for(lambda: (d.outer_size()[1], d.screenshot().height) if
                       d.outer_size()[1] > 200 else None, what="the results layout")
    print(f"in play {play[0]} px high ({play[1]} inside), with the results {results[0]} "
          f"({results[1]} inside)")
    return play, results


def window_in_its_frame():
    """Under a window manager the window's heights, frame and all, are the layout's: 1300 and 5000
    twips, 87 and 333 px at 96 dpi; the client area gives way to the frame."""
    with Desktop(PROGRAM, CATS) as d:
        play, results = heights_in_play_and_results(d)
        expect(play[0] == 87 and results[0] == 333, f"heights {play[0]} and {results[0]}")
        expect(play[1] < 87 and results[1] < 333, "no frame round the window")


def window_without_a_frame():
    """With no window manager there is no frame: the client area is the whole height."""
    with Desktop(PROGRAM, CATS, window_manager=False) as d:
        play, results = heights_in_play_and_results(d)
        expect(play == (87, 87) and results == (333, 333), f"heights {play} and {results}")


def wayland():
    """Under a Wayland compositor: the window is read through AT-SPI, Start pressed through its
    action speaks the first prompt."""
    with Desktop(PROGRAM, CATS, wayland=True) as d:
        d.launch()
        start = d.find("push button", "Start")
        expect(d.find("spin button", description="starting level").get_name() == "Level 1", "level readable")
        heard = d.record()
        start.get_action_iface().do_action(0)
        lengths = lengths_of(heard.wait_for_phrases(1))
        expect(heard_as(lengths, ["Spell Word cat"]), f"heard {lengths}")
        wait_for(lambda: has(d.find("push button", "Stop"), "showing"), what="Stop")


def overlap(a, b):
    """Seconds during which a stretch of one list of spans sounds at once with one of the other."""
    return sum(max(0.0, min(e1, e2) - max(b1, b2)) for b1, e1 in a for b2, e2 in b)


def screen_reader():
    """A blind learner's game with Orca, from the keyboard alone: the level reached, changed and
    announced; the game's words heard through the speech service the screen reader uses, the
    game's own voice silent, so the two never sound at once; no help text repeated during play;
    the score read when the game ends; the word never said by the screen reader."""
    with Desktop(PROGRAM, CATS, screen_reader="orca") as d:
        d.launch()
        d.wait_for_reader(lambda s: "Orthovane" in s)
        own, service = d.record(), d.record("reader_null")

        mark = len(d.reader_said())
        d.keys("shift+Tab")
        d.wait_for_reader(lambda s: "Level 1" in s, mark)
        mark = len(d.reader_said())
        d.keys("space")
        # Orca cannot read the name-change events of this Qt (they carry the object, not the
        # name): it says the level's new value.
        d.wait_for_reader(lambda s: "Level 2" in s or "2" in s.split(), mark)
        # Up and Down, as a spin button's keys, and Orca says each new level.
        for key, said in [("Up", "3"), ("Down", "2")]:
            mark = len(d.reader_said())
            d.keys(key)
            d.wait_for_reader(lambda s: f"Level {said}" in s or said in s.split(), mark)
        mark = len(d.reader_said())
        d.keys("Tab", "Tab")
        d.wait_for_reader(lambda s: "Start" in s, mark)

        playing = len(d.reader_said())
        d.keys("space")
        wait_for(lambda: has(d.find("push button", "Stop"), "showing"), what="the game to start")
        wait_for(lambda: service.phrases(), what="the first word through the speech service")
        # A wrong answer: the screen reader's echo of it must not be the word.
        d.type("dog")
        d.keys("Return")
        results = d.find("list", "Results")
        wait_for(lambda: results.get_child_count() == 1, what="the answer to be checked")
        # Say Again from the keyboard: the word again, then the focus back in the entry box.
        mark = len(d.reader_said())
        d.keys("Tab")
        d.wait_for_reader(lambda s: "Say Again" in s, mark)
        mark = len(d.reader_said())
        d.keys("space")
        d.wait_for_reader(lambda s: "Answer" in s, mark)
        mark = len(d.reader_said())
        d.keys("Tab", "Tab")
        d.wait_for_reader(lambda s: "Stop" in s, mark)
        stopping = len(d.reader_said())
        d.keys("space")
        d.wait_for_reader(lambda s: "0 Correct Out Of 1" in s, stopping)

        said = d.reader_said()
        heard_own, heard_service = own.phrases(), service.phrases()
        print(f"own voice {lengths_of(heard_own)}, speech service {lengths_of(heard_service)}, "
              f"at once {overlap(heard_own, heard_service):.3f} s")
        expect(not heard_own, f"the game's own voice spoke beside the screen reader: "
               f"{lengths_of(heard_own)}, {overlap(heard_own, heard_service):.3f} s at once")
        expect(not any("frog" in u.lower() for u in said), f"the screen reader said the word: {said}")
        lines_read = [u for u in said[stopping:] if "Correct" in u or "Wrong" in u]
        expect(lines_read and "Out Of" in lines_read[0],
               f"a line read before the score at the end: {said[stopping:]}")
        # Orca 48 keeps what it read of an object for up to 2 s: a learner who passed the entry
        # box on the way to Start a moment before hears its help once more, from Orca's memory,
        # as the game moves the focus there. Every later return to the box must come without it.
        during = said[playing:]
        first = next((i for i, u in enumerate(during) if u.startswith("Answer")), len(during))
        if first + 1 < len(during) and "Type the word" in during[first + 1]:
            del during[first + 1]
        expect(not any("Type the word" in u for u in during),
               f"the entry box's help repeated during play: {said[playing:]}")
        expect(not any("Results" in u for u in said[playing:stopping]),
               f"the results read out during play: {said[playing:stopping]}")
        # The speech service's connection is still open: closing must end the program as it
        # does without a screen reader.
        closes_and_ends(d)


def missing_list():
    """With no word list beside the program, a message says so, read as a screen reader reads
    it; once it is answered the program ends with failure."""
    with Desktop(PROGRAM) as d:
        os.remove(os.path.join(d.program_dir, "Words.txt"))
        d.launch()
        text = " ".join(d.all_text())
        expect("Can Not Find Database File Words.txt It's Missing or Corrupted" in text,
               f"the message reads {text!r}")
        d.keys("Return")
        status = d.exit_status(timeout=10)
        expect(status == 1, f"exit status {status}")


def installed():
    """The program where a package puts it, with the list it ships (the one beside the program,
    a link into /etc): Start says a word of that list, a wrong answer is judged, and after Stop
    the results hold that word, the answer and the score; closing ends it."""
    listed = os.path.join(os.path.dirname(os.path.realpath(PROGRAM)), "Words.txt")
    with open(listed, encoding="utf-8") as f:
        words = {line.strip() for line in f}
    with Desktop(PROGRAM, in_place=True) as d:
        d.launch()
        heard = d.record()
        d.click(d.find("push button", "Start"))
        heard.wait_for_phrases(1)
        d.type("qqq")
        d.keys("Return")
        heard.wait_for_phrases(3)  # the word, the verdict, the next word
        d.click(d.find("push button", "Stop"))
        wait_for(lambda: has(d.find("list", "Results"), "showing"), what="the results")
        lines = results_lines(d)
        asked = lines[0].split("  ")[0] if lines else None
        expect(len(lines) == 2 and lines[0] == f"{asked}  qqq  Wrong" and asked in words
               and lines[1] == "0 Correct Out Of 1", f"results read {lines}")
        closes_and_ends(d)


if __name__ == "__main__":
    run_cases({f.__name__: f for f in (start_window, game_longer_than_the_list,
                                       word_never_in_the_tree, double_click_on_start,
                                       double_click_on_say_again,
                                       held_up_mid_word, tooltip_during_a_word, closing_mid_word,
                                       sound_server_restarts, gnome_sound_restarts,
                                       restart_heard_again_says_nothing,
                                       device_sleeps_between_games,
                                       speech_service_dies, speech_service_freezes,
                                       readable_in_the_default_theme, readable_in_a_dark_theme,
                                       readable_in_a_high_contrast_theme,
                                       buttons_whole_at_fractional_scales, large_text,
                                       window_in_its_frame, window_without_a_frame, wayland, gnome,
                                       gnome_game_on_pipewire,
                                       opens_on_screen, ending_cancels_speech, suspended_device,
                                       speech_service_frozen_mid_word,
                                       screen_reader, missing_list, installed)})
