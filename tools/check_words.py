#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that every word of a word list can be spelled from what the learner hears: the game
says "Spell Word " and the word, nothing else, so a word that sounds like another English word,
or that British and American English spell differently, cannot be answered for sure.

  check_words.py WORD_SOUNDS FILE

WORD_SOUNDS is the built tools/word_sounds, which reads FILE as the game reads it and says each
word as the game's voice says it. Prints a line for each word flagged, with the reasons, then a
summary a level. Exits 1 when any word fails, 0 when none does (warnings alone do not fail), 2
when the list or a dictionary cannot be read.
"""

import os
import re
import subprocess
import sys

AMERICAN = "/usr/share/dict/american-english"  # wamerican
BRITISH = "/usr/share/dict/british-english"  # wbritish
CMUDICT = "/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict"  # pocketsphinx-en-us

# The voice writes a weak vowel as ax where the dictionary writes ah with no stress.
SAME_SOUND = {"ax": "ah"}

# Where British and American spelling part, as (American, British) pieces of a word: color and
# colour, center and centre, organize and organise, catalog and catalogue, traveled and travelled,
# archeology and archaeology, defense and defence, acknowledgment and acknowledgement.
SPELLING_PAIRS = [("or", "our"), ("er", "re"), ("iz", "is"), ("yz", "ys"), ("og", "ogue"),
                  ("l", "ll"), ("e", "ae"), ("e", "oe"), ("ense", "ence"),
                  ("dgment", "dgement"), ("gram", "gramme")]


def pronunciations(path=CMUDICT):
    """Each word of the dictionary with its pronunciations, stress marks dropped."""
    prons = {}
    with open(path, encoding="latin-1") as f:
        for line in f:
            parts = line.split()
            if not parts:
                continue
            word = re.sub(r"\(\d+\)$", "", parts[0])
            prons.setdefault(word, set()).add(tuple(re.sub(r"\d", "", p).lower()
                                                    for p in parts[1:]))
    return prons


def read_list(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return {w.strip() for w in f if w.strip()}


def spelling_variants(word):
    """The word with one of its American pieces made British, or the other way round."""
    found = set()
    for a, b in SPELLING_PAIRS:
        for old, new in ((a, b), (b, a)):
            for m in re.finditer(re.escape(old), word):
                found.add(word[:m.start()] + new + word[m.end():])
    found.discard(word)
    return found


class Dictionaries:
    def __init__(self):
        american, british = read_list(AMERICAN), read_list(BRITISH)
        both = american | british
        self.lower_american = {w for w in american if w.islower()}
        self.lower_british = {w for w in british if w.islower()}
        self.capitalised = {}
        for w in both:
            if not w.islower():
                self.capitalised.setdefault(w.lower(), w)
        # The words a learner could write for a sound: the plain words that can be typed, and the
        # two that are a letter long. A letter's name (b for bee) is not a word anyone would write.
        words = {w for w in self.lower_american | self.lower_british
                 if len(w) > 1 and re.fullmatch(r"[a-z]+", w)} | {"a", "i"}
        self.by_sound = {}
        self.prons = pronunciations()
        for word, prons in self.prons.items():
            if word in words:
                for p in prons:
                    self.by_sound.setdefault(p, set()).add(word)

    def known(self, word):
        return word in self.lower_american or word in self.lower_british

    def regional(self, word):
        """Why British and American English part on this word, or None."""
        american, british = word in self.lower_american, word in self.lower_british
        if american != british:
            side, other = ("American", "British") if american else ("British", "American")
            seen = sorted(v for v in spelling_variants(word)
                          if v in (self.lower_british if american else self.lower_american))
            also = f" ({other}: {', '.join(seen)})" if seen else ""
            return f"spelled so only in {side} English{also}"
        for v in sorted(spelling_variants(word)):
            in_a, in_b = v in self.lower_american, v in self.lower_british
            if in_a != in_b:
                return f"{'American' if in_a else 'British'} English also writes it {v}"
        return None


def check(entries, dictionaries):
    """Each entry (level, word, phones) with its failures and warnings, in list order."""
    seen = set()
    for level, word, phones in entries:
        fails, warns = [], []
        if word == "":
            fails.append("an empty word (a blank line or an empty field)")
        elif not re.fullmatch(r"[a-z]+", word):
            fails.append("holds something other than the letters a-z, which cannot be typed")
        if level == 0:
            fails.append("12 or 13 letters long: no level uses it")
        if word in seen:
            fails.append("repeats a word already in the list")
        seen.add(word)
        if re.fullmatch(r"[a-z]+", word):
            if not dictionaries.known(word) and word in dictionaries.capitalised:
                fails.append(f"a proper noun, written {dictionaries.capitalised[word]}")
            why = dictionaries.regional(word)
            if why:
                fails.append(why)
            said = tuple(SAME_SOUND.get(p, p) for p in phones.split())
            alike = sorted(dictionaries.by_sound.get(said, set()) - {word})
            if alike:
                fails.append(f"sounds like {', '.join(alike)} ({' '.join(said)})")
            # The voice's lexicon leaves out what its letter-to-sound rules say right, so whether it
            # knows a word says little; a pronunciation no dictionary gives is the rules' guess.
            known = dictionaries.prons.get(word)
            if not known:
                warns.append("no dictionary says how it sounds: the voice guesses by rule")
            elif said not in known:
                warns.append(f"the voice says {' '.join(said)}, not as the dictionary does "
                             f"({' / '.join(' '.join(p) for p in sorted(known))}): a guess by "
                             f"rule, or a vowel said weak")
        yield level, word, fails, warns


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    sounds, path = argv[1], argv[2]
    for dictionary in (AMERICAN, BRITISH, CMUDICT):
        if not os.path.exists(dictionary):
            print(f"check-words: {dictionary} is missing (scripts/setup words installs it)",
                  file=sys.stderr)
            return 2
    run = subprocess.run([sounds, path], stdout=subprocess.PIPE, encoding="utf-8")
    if run.returncode != 0:
        return 2
    entries = []
    for line in run.stdout.splitlines():
        level, word, phones = line.split("\t")
        entries.append((int(level), word, phones))

    levels = {k: [0, 0, 0] for k in range(7)}  # words, failed, warned
    for level, word, fails, warns in check(entries, Dictionaries()):
        counts = levels[level]
        counts[0] += 1
        counts[1] += bool(fails)
        counts[2] += bool(warns)
        if fails or warns:
            reasons = fails + [f"warning: {w}" for w in warns]
            where = f"level {level}" if level else "no level"
            print(f"{where:9} {word:20} {'; '.join(reasons)}")
    if any(c[1] or c[2] for c in levels.values()):
        print()
    for level, (words, failed, warned) in levels.items():
        if level == 0 and words == 0:
            continue
        name = f"level {level}" if level else "no level"
        print(f"{name}: {words} words, {failed} failed, {warned} with a warning")
    failed = sum(c[1] for c in levels.values())
    print(f"{path}: {'no word failed' if not failed else f'{failed} words failed'}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
