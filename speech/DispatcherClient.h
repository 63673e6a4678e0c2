// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/Ssip.h"
#include "speech/Waiter.h"

#include <QString>
#include <chrono>
#include <optional>
#include <stop_token>

namespace speech {

// Speaks through the desktop's speech service, the one a screen reader talks through, so the
// service takes turns between the two voices instead of both playing at once. The game's phrases
// go at the service's highest priority: whatever the screen reader is saying stops, and what it
// asks to say meanwhile waits or is dropped until the phrase is over.
//
// The service is only ever spoken to from the waiter's job, with a deadline on every step, so
// the window stays live whatever the service does. One that has gone (its socket closes) is seen
// at once; one that does not answer is given `answerPatience` to take a phrase and begin it.
class DispatcherClient {
  public:
    // The service's own rendering of the game's voice, where it has it.
    static constexpr const char* PreferredModule = "flite";

    explicit DispatcherClient(Waiter& waiter);

    // Says the phrase and returns once the service reports it spoken (or cancelled, when the
    // window is closed meanwhile). False when the service cannot be reached, goes away or does
    // not answer in time: the phrase was then not heard, and the caller speaks it another way.
    // A service that failed is not asked again for a while.
    bool speak(const QString& text);

    // How long the service may take to answer a command, and to begin a phrase it has taken.
    std::chrono::milliseconds answerPatience{1000};
    // How long a phrase of this many characters may take, once begun, before the service is
    // taken for stuck: far slower than any voice speaks.
    static std::chrono::milliseconds phrasePatience(qsizetype chars);

  private:
    enum class Outcome { Heard, Stopped, Failed };
    Outcome say(const QByteArray& text, const std::stop_token& stop);
    bool connect(const std::stop_token& stop);

    Waiter& waiter_;
    SsipConnection connection_;
    std::optional<std::chrono::steady_clock::time_point> lastFailure_;
};

}  // namespace speech
