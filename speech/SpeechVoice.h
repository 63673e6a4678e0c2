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
#include <chrono>
#include <future>
#include <map>
#include <optional>
#include <stop_token>

namespace speech {

// The real voice: synthesises the phrase in-process and plays it, returning once it is heard.
// While it is made and played, the waiter keeps the window repainting.
class SpeechVoice final : public Voice {
  public:
    SpeechVoice(FliteSynth& synth, AudioOutput& output, Waiter& waiter);
    ~SpeechVoice() override;
    int Speak(const QString& text, int flags) override;

    // Synthesises phrases that never change (the verdicts, the praise) ahead, on a thread of its
    // own, so speaking them later starts at once.
    void prepare(const QStringList& phrases);

    // A phrase asked for within this long of the last one's end follows it, as the game's
    // own next phrase: the game takes a few milliseconds between the two, a player far longer.
    static constexpr int ChainMs = 50;

  private:
    using Clock = std::chrono::steady_clock;
    void play(const QString& text, bool chained, std::stop_token stop);

    FliteSynth& synth_;
    AudioOutput& output_;
    Waiter& waiter_;
    int streams_ = 0;
    std::map<QString, Pcm> prepared_;
    std::future<void> preparing_;
    // When the last phrase was last plainly heard: the next is heard no sooner than the beat
    // after it.
    std::optional<Clock::time_point> lastHeard_;
    std::optional<Clock::time_point> lastReturn_;
};

}  // namespace speech
