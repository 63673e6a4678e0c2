// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/AudioOutput.h"
#include "speech/FliteSynth.h"
#include "speech/Pcm.h"
#include "speech/Voice.h"
#include "speech/Waiter.h"

#include <QString>
#include <QStringList>
#include <map>

namespace speech {

// The real voice: synthesises the phrase in-process and plays it, returning once it is heard.
// While it plays, the waiter keeps the window repainting.
class SpeechVoice final : public Voice {
  public:
    SpeechVoice(FliteSynth& synth, AudioOutput& output, Waiter& waiter);
    int Speak(const QString& text, int flags) override;

    // Synthesises phrases that never change (the verdicts, the praise) ahead, so speaking them
    // later starts at once.
    void prepare(const QStringList& phrases);

  private:
    FliteSynth& synth_;
    AudioOutput& output_;
    Waiter& waiter_;
    int streams_ = 0;
    std::map<QString, Pcm> prepared_;
};

}  // namespace speech
