// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace speech {

// The speech object. Speak is synchronous: it returns only once the phrase has been spoken.
// A failure is the run-time error of the failed call.
class Voice {
  public:
    virtual ~Voice() = default;
    // Returns the stream number, which the game ignores. The game always passes flags 0.
    virtual int Speak(const QString& text, int flags) = 0;
};

namespace Phrase {
inline const QString SpellWord = QStringLiteral("Spell Word ");
inline const QString Correct = QStringLiteral(" correct ");
inline const QString Wrong = QStringLiteral(" wrong ");
inline const QString Praise =
    QStringLiteral(" You Are The Best Speller In The World The Best The Best The Best The Best ");
}  // namespace Phrase

// "Spell Word " followed directly by the word.
void SpeakPrompt(Voice& voice, const QString& word);

}  // namespace speech
