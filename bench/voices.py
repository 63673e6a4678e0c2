#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""How well a speech recogniser understands each voice, as a listener is tested: each word said
as "Spell Word " + word, picked against its real neighbours (the English words one sound away:
cat against cut, cot, cap, bat, at, scat...), and heard with no list at all (open vocabulary).
The same neighbour test on human read speech (Debian's pocketsphinx-testdata) gives the
recogniser's ceiling. Two voices are compared item by item with McNemar's exact test.

  voices.py AUDIO SETS OUT.md [--date D]
AUDIO holds a folder per voice of WORD.raw files (16 kHz mono 16-bit), SETS a file per word set
(set-list, set-level1..6), one word a line. Writes the table and prints it.
"""

import argparse
import datetime
import math
import os
import re
import sys
import wave
from concurrent.futures import ProcessPoolExecutor

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from check_words import pronunciations  # noqa: E402

MODEL = "/usr/share/pocketsphinx/model/en-us"
HUMAN = "/usr/share/pocketsphinx/test/data"
WORDS = "/usr/share/dict/words"
SETS = ["list"] + [f"level{k}" for k in range(1, 7)]
# In running speech these are said short and soft, and the recogniser takes them for their
# neighbours whoever speaks; a speller is asked for words said alone and clearly, so the ceiling
# is taken on the other words.
FUNCTION_WORDS = set("""a an and the to of in is was he his him had has have be been for them than
    that then there how much might more not it as at by or if do so no its this with were are her
    she they their we you your our us me my i even still very rather unless himself made can could
    would should will shall may must""".split())


class Neighbours:
    """The English words one phoneme away from a word (one sound changed, added or taken away),
    among the plain words of Debian's word list the recogniser knows; a word that sounds the same
    (a homophone) is no neighbour, since no ear can tell it apart."""

    def __init__(self, prons):
        with open(WORDS, encoding="utf-8", errors="replace") as f:
            english = {w.strip() for w in f if re.fullmatch(r"[a-z]+", w.strip())}
        self.prons = prons
        self.by_pron, self.by_pattern, self.by_deletion = {}, {}, {}
        for word in english & prons.keys():
            for p in prons[word]:
                self.by_pron.setdefault(p, set()).add(word)
                for i in range(len(p)):
                    self.by_pattern.setdefault(p[:i] + ("*",) + p[i + 1:], set()).add(word)
                    self.by_deletion.setdefault(p[:i] + p[i + 1:], set()).add(word)

    def of(self, word):
        found = set()
        for p in self.prons.get(word, ()):
            for i in range(len(p)):
                found |= self.by_pattern.get(p[:i] + ("*",) + p[i + 1:], set())
                found |= self.by_pron.get(p[:i] + p[i + 1:], set())  # one sound taken away
            found |= self.by_deletion.get(p, set())  # one sound added
        same = {w for w in found if self.prons[w] & self.prons.get(word, set())}
        return sorted(found - same - {word})


class Decoder:
    """Debian's recogniser through its C library (libpocketsphinx3, there on Debian 12 and 13
    alike; the Python binding is not packaged for 13): a language model for open vocabulary, and
    a grammar set for one utterance at a time."""

    def __init__(self):
        import ctypes
        base = ctypes.CDLL("libsphinxbase.so.3")
        self.ps = ps = ctypes.CDLL("libpocketsphinx.so.3")
        ps.ps_args.restype = ctypes.c_void_p
        base.cmd_ln_init.restype = ctypes.c_void_p
        ps.ps_init.restype = ctypes.c_void_p
        ps.ps_init.argtypes = [ctypes.c_void_p]
        ps.ps_get_search.restype = ctypes.c_char_p
        ps.ps_get_hyp.restype = ctypes.c_char_p
        for name in ("ps_get_search", "ps_get_hyp", "ps_set_jsgf_string", "ps_set_search",
                     "ps_start_utt", "ps_end_utt", "ps_process_raw"):
            getattr(ps, name).argtypes = None
        options = {"-hmm": os.path.join(MODEL, "en-us"),
                   "-dict": os.path.join(MODEL, "cmudict-en-us.dict"),
                   "-lm": os.path.join(MODEL, "en-us.lm.bin"), "-logfn": "/dev/null"}
        args = [ctypes.c_char_p(x.encode()) for kv in options.items() for x in kv]
        config = base.cmd_ln_init(None, ctypes.c_void_p(ps.ps_args()), 1, *args, None)
        self.d = ctypes.c_void_p(ps.ps_init(config))
        if not config or not self.d.value:
            raise RuntimeError("the recogniser did not start")
        self.lm = ps.ps_get_search(self.d)

    def decode(self, raw, grammar=None):
        import ctypes
        ps, d = self.ps, self.d
        if grammar is not None:
            ps.ps_set_jsgf_string(d, b"choice", ("#JSGF V1.0;\ngrammar choice;\npublic <u> = " +
                                                grammar + ";\n").encode())
            ps.ps_set_search(d, b"choice")
        else:
            ps.ps_set_search(d, self.lm)
        ps.ps_start_utt(d)
        ps.ps_process_raw(d, ctypes.c_char_p(raw), ctypes.c_size_t(len(raw) // 2), 0, 1)
        ps.ps_end_utt(d)
        score = ctypes.c_int32()
        h = ps.ps_get_hyp(d, ctypes.byref(score))
        return h.decode().split() if h else []


def judge_voice(job):
    """Every item of one voice: (set, word) -> (right against neighbours, right in open
    vocabulary)."""
    audio, items = job
    d = Decoder()
    out = {}
    for key, word, near in items:
        path = os.path.join(audio, word + ".raw")
        if not os.path.exists(path):
            continue
        with open(path, "rb") as f:
            raw = f.read()
        picked = d.decode(raw, "spell word ( " + " | ".join([word] + near) + " )")
        heard = d.decode(raw)
        out[key] = (bool(picked) and picked[-1] == word, bool(heard) and heard[-1] == word)
    return os.path.basename(audio), out


def human_items(neighbours):
    """Each word of Debian's recordings of read speech, chosen against its neighbours with the
    rest of its sentence as it was said."""
    utterances = []
    for folder, transcript in (("librivox", "transcription"), ("cards", "cards.transcription")):
        with open(os.path.join(HUMAN, folder, transcript)) as f:
            for line in f:
                m = re.match(r"<s>(.*)</s>\s*\((.*)\)", line.strip())
                if m:
                    with wave.open(os.path.join(HUMAN, folder, m.group(2) + ".wav")) as w:
                        utterances.append((m.group(1).split(), w.readframes(w.getnframes())))
    with open(os.path.join(HUMAN, "goforward.raw"), "rb") as f:
        utterances.append(("go forward ten meters".split(), f.read()))
    return utterances


def judge_human(neighbours):
    """(right, of) for the words that are not function words, and for every word."""
    d = Decoder()
    content, every = [0, 0], [0, 0]
    for words, raw in human_items(neighbours):
        for i, word in enumerate(words):
            near = neighbours.of(word)
            if not near:
                continue
            grammar = " ".join(words[:i] + ["( " + " | ".join([word] + near) + " )"] +
                               words[i + 1:])
            picked = d.decode(raw, grammar)
            right = len(picked) == len(words) and picked[i] == word
            for tally in [every] + ([content] if word not in FUNCTION_WORDS else []):
                tally[0] += right
                tally[1] += 1
    return content, every


def standard_error(right, total):
    p = right / total if total else 0
    return 100 * math.sqrt(p * (1 - p) / total) if total else 0


def mcnemar(a, b):
    """Exact two-sided p of McNemar's test on paired right/wrong results."""
    only_a = sum(1 for k in a if k in b and a[k] and not b[k])
    only_b = sum(1 for k in a if k in b and b[k] and not a[k])
    n = only_a + only_b
    if n == 0:
        return 1.0, only_a, only_b
    tail = sum(math.comb(n, i) for i in range(min(only_a, only_b) + 1)) / 2 ** n
    return min(1.0, 2 * tail), only_a, only_b


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("audio")
    ap.add_argument("sets")
    ap.add_argument("out")
    ap.add_argument("--game", default="game", help="the folder of the game's own voice")
    args = ap.parse_args()
    prons = pronunciations()
    neighbours = Neighbours(prons)
    sets = {}
    for s in SETS:
        with open(os.path.join(args.sets, "set-" + s)) as f:
            sets[s] = [w.strip() for w in f if w.strip() in prons]
    items = [((s, w), w, neighbours.of(w)) for s in SETS for w in sets[s]]
    items = [i for i in items if i[2]]
    voices = sorted(v for v in os.listdir(args.audio)
                    if os.path.isdir(os.path.join(args.audio, v)))
    with ProcessPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        human = pool.submit(judge_human, neighbours)
        results = dict(pool.map(judge_voice, [(os.path.join(args.audio, v), items)
                                              for v in voices]))
        (human_right, human_total), (every_right, every_total) = human.result()

    def pct(r, n):
        return f"{100 * r / n:.1f} %" if n else "-"

    def figure(voice, which, keep=lambda key: True):
        got = [v[which] for k, v in results[voice].items() if keep(k)]
        return sum(got), len(got)

    def by_set(s):
        return lambda key: key[0] == s

    def count(s):
        return sum(1 for i in items if i[0][0] == s)

    ranked = sorted(voices, key=lambda v: -figure(v, 0)[0])
    best = ranked[0]
    lines = [
        "# Voices",
        "",
        f"Written by `scripts/bench-voices` on {datetime.date.today().isoformat()}. A speech "
        "recogniser (Debian's `pocketsphinx` and `pocketsphinx-en-us`) hears \"Spell Word \" + "
        "word in each voice and picks the word against its neighbours: the English words one "
        "sound away (one phoneme changed, added or taken away: cat against cut, cot, cap, bat, "
        "at, scat), from the recogniser's dictionary and Debian's `wamerican`, homophones left "
        "out. That is how a listener tells a word: not among the words of a list, but from the "
        "words it could be mistaken for. \"Open vocabulary\" is the same recording heard with no "
        "list at all, right when the last word heard is the word.",
        "",
        "The sets: the words of `data/Words.txt` the recogniser knows, and a fixed sample of "
        f"`wamerican` in each level's length band ({len(sets['level1'])} words a level), each "
        "word that has a neighbour (the count in each heading: long words have few). \"game\" is the "
        "game's own voice as it plays it (its lead-in trimmed and its end faded); the others are "
        "the engines' output as it comes.",
        "",
        "| voice | default list, against neighbours (" + str(count("list")) + ") | " +
        " | ".join(f"level {k} ({count(f'level{k}')})" for k in range(1, 7)) +
        f" | every word ({len(items)}) | open vocabulary, every word |",
        "|---|---|---|---|---|---|---|---|---|---|",
    ]
    for v in ranked:
        row = [v, pct(*figure(v, 0, by_set("list")))]
        row += [pct(*figure(v, 0, by_set(f"level{k}"))) for k in range(1, 7)]
        row += [pct(*figure(v, 0)), pct(*figure(v, 1))]
        lines.append("| " + " | ".join(row) + " |")
    lines.append(f"| people reading (the recogniser's ceiling) | {pct(human_right, human_total)}"
                 f" ({human_right} of {human_total} words) | | | | | | | | |")
    lines += [
        "",
        "The ceiling: each word of Debian's recordings of people reading (`pocketsphinx-testdata`:"
        " five sentences of an audiobook, five of playing cards, one command), picked against its "
        "neighbours with the rest of its sentence as said, leaving out the function words (\"to\","
        f" \"had\", \"a\"), which running speech says short and soft; with them it is "
        f"{pct(every_right, every_total)} ({every_right} of {every_total}). A voice near it is as "
        "clear to this recogniser as a person. On so few words it is good to about "
        f"{standard_error(human_right, human_total):.0f} points either way (one standard error).",
        "",
        f"Each voice against {args.game}, word by word over every word (McNemar's exact test; "
        "\"only\" counts the words one of the two got right):",
        "",
        f"| voice | only {args.game} right | only the voice right | p |",
        "|---|---|---|---|",
    ]
    for v in ranked:
        if v == args.game:
            continue
        p, a, b = mcnemar(*({k: r[0] for k, r in results[x].items()} for x in (args.game, v)))
        lines.append(f"| {v} | {a} | {b} | {p:.3g} |")
    lines += ["", f"Clearest against its neighbours, over every word: {best}."]
    with open(args.out, "w") as f:
        f.write("\n".join(lines) + "\n")
    print("\n".join(lines))


if __name__ == "__main__":
    sys.exit(main())
