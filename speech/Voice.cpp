#include "speech/Voice.h"

namespace speech {

void SpeakPrompt(Voice& voice, const QString& word) { voice.Speak(Phrase::SpellWord + word, 0); }

}  // namespace speech
