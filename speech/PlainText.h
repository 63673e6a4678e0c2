// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace speech {

// What any voice is given to say for `text`: plain Latin-1 text. Control characters and
// anything outside printable Latin-1 become blanks, so no byte reaches an engine as an escape,
// markup or a sequence it interprets. A phrase is bounded: no real word is longer than about 45
// letters, but a word list can hold a "word" of a million, which would take hours to say and
// hold up the game; only its start is said.
inline constexpr qsizetype MaxPhraseChars = 100;
QByteArray plainText(const QString& text);

}  // namespace speech
