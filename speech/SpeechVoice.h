// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/AudioOutput.h"
#include "speech/FliteSynth.h"
#include "speech/Voice.h"

namespace speech {

// The real voice: synthesises the phrase in-process and plays it, returning once it is heard.
// While it plays, the waiter keeps the window repainting.
class SpeechVoice final : public Voice {
  public:
    SpeechVoice(FliteSynth& synth, AudioOutput& output, Waiter& waiter);
    int Speak(const QString& text, int flags) override;

  private:
    FliteSynth& synth_;
    AudioOutput& output_;
    Waiter& waiter_;
    int streams_ = 0;
};

}  // namespace speech
