// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/Pcm.h"

#include <QByteArray>
#include <QString>

struct cst_voice_struct;

namespace speech {

// In-process synthesis with Flite's US English kal16 voice, at its default rate and volume.
class FliteSynth {
  public:
    FliteSynth();
    // The text is spoken as plain text: it is never read as markup, and characters the voice
    // cannot say are left out rather than passed on. A phrase is bounded: no real word is
    // longer than about 45 letters, but a word list can hold a "word" of a million, which would
    // take hours to say and hold up the game; only its start is spoken. The engine's padding is
    // replaced by the game's own pacing (speech/Pacing.h).
    Pcm synthesize(const QString& text) { return synthesize(text, true); }
    // `paced` false: the engine's output as it comes, padding and all.
    Pcm synthesize(const QString& text, bool paced);

    static constexpr qsizetype MaxChars = 100;
    static constexpr double MaxSeconds = 20;

    // What actually reaches the engine for `text`.
    static QByteArray plainText(const QString& text);

  private:
    cst_voice_struct* voice_;
};

}  // namespace speech
