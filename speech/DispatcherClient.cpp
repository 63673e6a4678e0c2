// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/DispatcherClient.h"

#include "speech/PlainText.h"
#include "speech/SoundWatch.h"

#include <QByteArray>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

namespace speech {

namespace {

using Clock = SsipConnection::Clock;
using Status = SsipConnection::Status;

// A service that stopped answering, or whose voice is silent, is not asked again at every phrase:
// each try could cost the player `answerPatience` or `soundPatience` of silence.
constexpr auto RetryHeldOffAfter = std::chrono::seconds(10);
// The service's voice stops dead at the end of a phrase, and reports the end while the last of
// it is still playing: this beat makes the pause heard before the next phrase what the game's own
// voice leaves, about 170 ms (measured at the sound server with speech-dispatcher 0.11's flite
// module).
constexpr auto Beat = std::chrono::milliseconds(150);
// A phrase no voice can say this fast: one the service reports ended sooner was never heard (a
// broken speech module ends every message at once, in silence).
constexpr auto Shortest = std::chrono::milliseconds(50);
// While a phrase waits or plays, a question this often that any live service answers at once.
constexpr auto ProbeEvery = std::chrono::seconds(1);
constexpr const char* Probe = "GET RATE";

std::string clientName() {
    const char* user = std::getenv("USER");
    std::string name = user && *user ? user : "user";
    // The name is one word of the protocol.
    const auto separator = [](char c) { return c <= ' ' || c == ':'; };
    std::replace_if(name.begin(), name.end(), separator, '_');
    return name + ":orthovane:main";
}

std::string serviceAddress() {
    const char* address = std::getenv("SPEECHD_ADDRESS");
    return address ? address : "";
}

// The service's socket as it is now: a service started anew makes it anew.
SocketIdentity serviceSocket() {
    return SocketIdentity::of(SsipConnection::socketPath(serviceAddress()));
}

}  // namespace

DispatcherClient::DispatcherClient(Waiter& waiter) : waiter_(waiter) {}

std::chrono::milliseconds DispatcherClient::phrasePatience(qsizetype chars) {
    return std::chrono::milliseconds(3000 + 200 * std::max<qsizetype>(chars, 0));
}

bool DispatcherClient::connect(const std::stop_token& stop) {
    if (connection_.isOpen()) return true;
    const auto deadline = Clock::now() + answerPatience;
    if (connection_.open(serviceAddress(), deadline) != Status::Ok) return false;
    SsipConnection::Reply reply;
    for (const std::string& line :
         {"SET self CLIENT_NAME " + clientName(), std::string("SET self NOTIFICATION begin on"),
          std::string("SET self NOTIFICATION end on"),
          std::string("SET self NOTIFICATION cancel on"),
          std::string("SET self PRIORITY message")}) {
        if (connection_.command(line, reply, Clock::now() + answerPatience, stop) != Status::Ok ||
            reply.code >= 300) {
            connection_.close();
            return false;
        }
    }
    return true;
}

DispatcherClient::Outcome DispatcherClient::failed(Outcome why, std::size_t message) {
    // The game's own voice is about to say the phrase: the service must never say it too, after
    // or over it. Cancelled, and seen cancelled; a service that does not answer gets the cancel
    // as the first thing it reads when it wakes, and then finds the connection closed (a closed
    // connection alone leaves its message to be said).
    connection_.post("CANCEL self");
    if (why != Outcome::Frozen && message != 0) {
        const auto deadline = Clock::now() + answerPatience;
        for (;;) {
            SsipConnection::Reply block;
            if (connection_.next(block, deadline, {}) != Status::Ok) break;
            if (block.isNotice() && block.message() == message &&
                (block.code == SsipConnection::Cancel || block.code == SsipConnection::End))
                break;
            // The cancel taken: speech-dispatcher 0.12 sends no notice for a message whose
            // voice never ended it.
            if (block.code == SsipConnection::Cancelled) break;
        }
    }
    return why;
}

DispatcherClient::Outcome DispatcherClient::say(const QByteArray& text,
                                                const std::stop_token& stop) {
    if (!connect(stop)) return stop.stop_requested() ? Outcome::Stopped : Outcome::Failed;
    std::size_t message = 0;
    const Status taken =
        connection_.speak(std::string_view(text.constData(), std::size_t(text.size())), message,
                          Clock::now() + answerPatience, stop);
    if (taken == Status::Stopped) return Outcome::Stopped;
    if (taken == Status::TimedOut) return failed(Outcome::Frozen, message);
    if (taken != Status::Ok) return failed(Outcome::Failed, message);
    // First its beginning, once whatever another program said first is over; then its end, in
    // the time the longest such phrase could take. Meanwhile the service is asked something every
    // second, and must answer soon: one that has stopped never reports its end.
    std::optional<Clock::time_point> begun;
    auto deadline = Clock::now() + queuePatience;
    std::optional<Clock::time_point> asked;
    auto nextAsk = Clock::now() + ProbeEvery;
    // Once begun, listened for until a sound is heard, or it is plain none will be.
    std::optional<SoundWatch> watch;
    const auto silent = [&] { return watch && watch->heard() == SoundWatch::Heard::Nothing; };
    for (;;) {
        const auto due = std::min(deadline, asked ? *asked + answerPatience : nextAsk);
        const auto wake = silent() ? std::min(due, *begun + soundPatience) : due;
        SsipConnection::Reply block;
        const Status s = connection_.next(block, wake, stop);
        if (s == Status::Stopped) {
            connection_.post("CANCEL self");
            return Outcome::Stopped;
        }
        if (s == Status::TimedOut && silent() && Clock::now() >= *begun + soundPatience)
            return failed(Outcome::Silent, message);
        if (s == Status::TimedOut && Clock::now() < due) continue;  // woken to listen only
        if (s == Status::TimedOut && Clock::now() < deadline && !asked) {
            connection_.post(Probe);
            asked = Clock::now();
            continue;
        }
        // Unanswered, it has stopped; answering, it took too long, and is told so.
        if (s == Status::TimedOut)
            return failed(asked ? Outcome::Frozen : Outcome::Failed, message);
        if (s != Status::Ok) return failed(Outcome::Failed, message);
        if (!block.isNotice()) {
            asked.reset();  // the answer to the probe
            nextAsk = Clock::now() + ProbeEvery;
            continue;
        }
        if (block.message() != message) continue;  // about an earlier phrase
        if (block.code == SsipConnection::Begin && !begun) {
            begun = Clock::now();
            deadline = *begun + phrasePatience(text.size());
            nextAsk = Clock::now() + ProbeEvery;
            watch.emplace();
        } else if (block.code == SsipConnection::End) {
            if (!begun || Clock::now() - *begun < Shortest || silent()) return Outcome::Silent;
            break;
        } else if (block.code == SsipConnection::Cancel) {
            // Cancelled by someone else: it was not heard whole.
            return Outcome::Failed;
        }
    }
    const auto until = Clock::now() + Beat;
    while (Clock::now() < until && !stop.stop_requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Outcome::Heard;
}

bool DispatcherClient::worthAsking() const {
    if (!lastFailure_) return true;
    const SocketIdentity now = serviceSocket();
    if (!lastFailure_->holdOff) return now.exists;
    return now != lastFailure_->socket || Clock::now() - lastFailure_->when >= RetryHeldOffAfter;
}

bool DispatcherClient::speak(const QString& text) {
    if (!worthAsking()) return false;
    // The same plain text the game's own voice would say: never markup, never a command.
    const QByteArray plain = QString::fromLatin1(plainText(text)).toUtf8();
    if (plain.trimmed().isEmpty()) return true;
    Outcome outcome = Outcome::Failed;
    std::stop_source cancel;
    waiter_.wait([&] { outcome = say(plain, cancel.get_token()); }, cancel);
    if (outcome == Outcome::Stopped || cancel.stop_requested()) return true;
    if (outcome != Outcome::Heard) {
        connection_.close();
        const bool holdOff = outcome == Outcome::Frozen || outcome == Outcome::Silent;
        lastFailure_ = Failure{Clock::now(), holdOff, serviceSocket()};
        return false;
    }
    lastFailure_.reset();
    return true;
}

}  // namespace speech
