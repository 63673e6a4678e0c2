// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/Pcm.h"

#include <QString>
#include <QStringList>

namespace speech {

// In-process synthesis with Flite's US English rms voice, at its default rate and volume: of
// Debian's Flite voices the one a listener (and a recogniser) tells from its neighbours best
// (docs/VOICES.md). It costs about 15 ms of a core a prompt, so phrases are made off the window's
// thread. Safe to call from any thread: the voice is one per process and makes one phrase at a
// time, whichever object asks.
class FliteSynth {
  public:
    // The text is spoken as plain text (speech/PlainText.h), never longer than MaxSeconds. The
    // engine's padding is replaced by the game's own pacing (speech/Pacing.h).
    Pcm synthesize(const QString& text) { return synthesize(text, true); }
    // `paced` false: the engine's output as it comes, padding and all.
    Pcm synthesize(const QString& text, bool paced);

    // The sounds the voice says for a word, as its phone names without stress ("s ah n" for
    // sun): what a word list is checked against, since the learner hears only this.
    static QStringList pronounce(const QString& word);

    static constexpr double MaxSeconds = 20;
};

}  // namespace speech
