// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/Voice.h"

namespace speech {

void SpeakPrompt(Voice& voice, const QString& word) { voice.Speak(Phrase::SpellWord + word, 0); }

}  // namespace speech
