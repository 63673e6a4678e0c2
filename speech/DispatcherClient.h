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
// are messages: they stop the screen reader's running text, and wait behind another program's
// important message rather than speak over it. They are said in the voice the desktop chose for
// the service.
//
// The service is only ever spoken to from the waiter's job, with a deadline on every step, so
// the window stays live whatever the service does. One that has gone (its socket closes) is seen
// at once; one that does not answer is given `answerPatience` to take a phrase, to begin it or to
// answer a question while the phrase waits its turn. A phrase begun is listened for at the
// desktop's sound device, and one that makes no sound there was not heard. A phrase the service
// gives up on is its message cancelled, so it is never said after the game's own voice has said
// it.
class DispatcherClient {
  public:
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
    // How long a phrase may wait its turn behind another program's messages.
    std::chrono::milliseconds queuePatience{30000};
    // How long a phrase the service has begun may go without a sound at the desktop's sound
    // device before its voice is taken for broken: any voice sounds within a few hundred
    // milliseconds of beginning.
    std::chrono::milliseconds soundPatience{500};

    // Cancels what the service is saying for the game, at once and from any thread: the game is
    // ending, and nothing of it may be heard after it has gone.
    void cancelNow() { connection_.post("CANCEL self"); }

  private:
    // Silent: begun, and no sound came of it; the service's voice is broken.
    enum class Outcome { Heard, Stopped, Failed, Frozen, Silent };
    Outcome say(const QByteArray& text, const std::stop_token& stop);
    Outcome failed(Outcome why, std::size_t message);
    bool connect(const std::stop_token& stop);
    // Whether the service is worth asking again: one that was gone is looked for at every phrase;
    // one that stopped answering, or whose voice made no sound, is asked again only once a new
    // one has taken its socket, or after a while.
    bool worthAsking() const;

    Waiter& waiter_;
    SsipConnection connection_;
    struct Failure {
        std::chrono::steady_clock::time_point when;
        bool holdOff = false;  // frozen, or silent
        SocketIdentity socket;
    };
    std::optional<Failure> lastFailure_;
};

}  // namespace speech
