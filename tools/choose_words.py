#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""How the shipped word list was chosen, to choose it again (scripts/setup installs what it reads):

  choose_words.py BUILD > data/Words.txt

The words a learner meets: SCOWL's commonest English words (sizes 10, 20 and 35, the words all
its English spellings share), which are also in Debian's small American and British lists; no
abbreviation, nothing on the list of words a children's game should not say. Of those, the ones
the word list check passes with nothing to say (tools/check_words.py), and of those the ones a
speech recogniser picks out from their neighbours in the game's own voice (bench/voices.py) come
first, then the commoner. A fixed draw among equals, so the list comes out the same each time.
"""

import os
import random
import re
import subprocess
import sys
import tempfile
from concurrent.futures import ProcessPoolExecutor

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bench"))
import check_words  # noqa: E402
import voices  # noqa: E402

SCOWL = "/usr/share/dict/scowl"
SMALL = ["/usr/share/dict/american-english-small", "/usr/share/dict/british-english-small"]
SIZES = [10, 20, 35]
# How many words each level's pool holds: enough that a learner playing every day meets the same
# word seldom, few enough that every one is a word they know.
POOL = {1: 200, 2: 250, 3: 250, 4: 250, 5: 250, 6: 150}

# Words a children's game should not say, or that are no word to spell on their own: rude,
# cruel, about drink and drugs, a name in another guise, a letter sequence read as a word,
# a spelling one side of the Atlantic does not use, or a word of one country's.
LEFT_OUT = set("""
    ass bum bra bitch bastard booze boob boobs breast breasts butt crap damn dick drug drugs drunk
    fag fat gay god gin hell kill kills killed killer killing murder murders murdered nude naked
    piss porn rape raped rapist sex sexy sexual sexually slut suicide tit whore wine beer vodka
    whisky whiskey alcohol cigar cigarette tobacco gun guns pistol rifle bomb bombs weapon weapons
    slave slaves nazi nazis terror terrorist terrorists stupid idiot dumb ugly fatal dead death
    deaths abortion sin pub rum keg cad hag sod ugh huh eh em id ups ifs dos mas ma pa ms non qua
    thy chi ova pap pas ohm ion amp don bob ken cam fro gob gal gee mar sop sup lop lob bop dub
    dud cur eke ilk irk ire rue ply vat fez fen cog cob din gab jut nab rev nor via yen sow pro
    datum ditto deem deems char putt putts putted flied info hack naive march mum mom mew pew
    wad yap ban abuse hate leaded grands wills postmaster
    lorry lorries automobile someplace nearsightedness
    """.split())


def read_words(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return {w.strip() for w in f if re.fullmatch(r"[a-z]+", w.strip())}


def commonness():
    """Each word with the smallest SCOWL size that has it: the lower, the commoner."""
    size = {}
    for s in reversed(SIZES):
        for w in read_words(os.path.join(SCOWL, f"english-words.{s}")):
            size[w] = s
    small = set.intersection(*(read_words(p) for p in SMALL))
    abbreviations = set()
    for name in os.listdir(SCOWL):
        if "abbreviations" in name:
            abbreviations |= read_words(os.path.join(SCOWL, name))
    return {w: s for w, s in size.items()
            if w in small and w not in abbreviations and w not in LEFT_OUT}


def hear_right(words, build, work):
    """Each word that has neighbours, and whether the recogniser picks it out from them in the
    game's voice."""
    audio = os.path.join(work, "game")
    os.mkdir(audio)
    subprocess.run([os.path.join(build, "bench", "bench_say"), "flite", audio], check=True,
                   input="\n".join(words) + "\n", encoding="utf-8")
    neighbours = voices.Neighbours(voices.pronunciations())
    items = [(w, w, near) for w in words for near in [neighbours.of(w)] if near]
    cores = os.cpu_count() or 2
    heard = {}
    with ProcessPoolExecutor(max_workers=cores) as pool:
        for _, part in pool.map(voices.judge_voice,
                                [(audio, items[k::cores]) for k in range(cores)]):
            heard.update({w: right for w, (right, _) in part.items()})
    return heard


def main(argv):
    build = argv[1]
    size = commonness()
    with tempfile.TemporaryDirectory() as work:
        listed = os.path.join(work, "candidates.txt")
        with open(listed, "w") as f:
            f.write("\n".join(sorted(size)) + "\n")
        said = subprocess.run([os.path.join(build, "word_sounds"), listed], check=True,
                              stdout=subprocess.PIPE, encoding="utf-8").stdout
        entries = [(int(lv), w, ph) for lv, w, ph in (l.split("\t") for l in said.splitlines())]
        passed = {w: lv for lv, w, fails, warns
                  in check_words.check(entries, check_words.Dictionaries())
                  if lv and not fails and not warns}

        # The commonest first, a fixed draw among equals; twice what a pool takes goes on to be
        # heard, the clearest of them chosen.
        rng = random.Random("orthovane")
        shortlist = {}
        for level in range(1, 7):
            words = sorted(w for w, lv in passed.items() if lv == level)
            rng.shuffle(words)
            words.sort(key=lambda w: size[w])
            if len(words) < POOL[level]:
                sys.exit(f"choose_words: level {level} has only {len(words)} words")
            shortlist[level] = words[:2 * POOL[level]]
        heard = hear_right([w for words in shortlist.values() for w in words], build, work)

    chosen = []
    for level, words in shortlist.items():
        # A word with no neighbour cannot be mistaken for one.
        words.sort(key=lambda w: (not heard.get(w, True), size[w]))
        chosen += sorted(words[:POOL[level]])
        print(f"level {level}: {POOL[level]} of {len(words)} heard, "
              f"{sum(1 for w in words[:POOL[level]] if heard.get(w, True))} picked out right",
              file=sys.stderr)
    sys.stdout.write("\n".join(chosen) + "\n")


if __name__ == "__main__":
    main(sys.argv)
