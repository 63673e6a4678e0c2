// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/DispatcherClient.h"

#include "speech/PlainText.h"

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

// A service that failed is not asked again at every phrase: each try could cost the player
// `answerPatience` of silence.
constexpr auto RetryAfter = std::chrono::seconds(10);
// The service's voice stops dead at the end of a phrase, and reports the end while the last of
// it is still playing: this beat makes the pause heard before the next phrase what the game's own
// voice leaves, about 170 ms (measured at the sound server with speech-dispatcher 0.11's flite
// module).
constexpr auto Beat = std::chrono::milliseconds(150);
// While a phrase plays, a question this often that any live service answers at once.
constexpr auto ProbeEvery = std::chrono::seconds(1);
constexpr const char* Probe = "GET RATE";

std::string clientName() {
    const char* user = std::getenv("USER");
    std::string name = user && *user ? user : "user";
    // The name is one word of the protocol.
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c <= ' ' || c == ':'; }, '_');
    return name + ":orthovane:main";
}

}  // namespace

DispatcherClient::DispatcherClient(Waiter& waiter) : waiter_(waiter) {}

std::chrono::milliseconds DispatcherClient::phrasePatience(qsizetype chars) {
    return std::chrono::milliseconds(3000 + 200 * std::max<qsizetype>(chars, 0));
}

bool DispatcherClient::connect(const std::stop_token& stop) {
    if (connection_.isOpen()) return true;
    const char* address = std::getenv("SPEECHD_ADDRESS");
    const auto deadline = Clock::now() + answerPatience;
    if (connection_.open(address ? address : "", deadline) != Status::Ok) return false;
    SsipConnection::Reply reply;
    for (const std::string& line :
         {"SET self CLIENT_NAME " + clientName(), std::string("SET self NOTIFICATION begin on"),
          std::string("SET self NOTIFICATION end on"),
          std::string("SET self NOTIFICATION cancel on"),
          std::string("SET self PRIORITY important")}) {
        if (connection_.command(line, reply, Clock::now() + answerPatience, stop) != Status::Ok ||
            reply.code >= 300) {
            connection_.close();
            return false;
        }
    }
    if (connection_.command("LIST OUTPUT_MODULES", reply, Clock::now() + answerPatience, stop) !=
        Status::Ok) {
        connection_.close();
        return false;
    }
    if (std::find(reply.lines.begin(), reply.lines.end(), PreferredModule) != reply.lines.end()) {
        connection_.command(std::string("SET self OUTPUT_MODULE ") + PreferredModule, reply,
                            Clock::now() + answerPatience, stop);
    }
    return connection_.isOpen();
}

DispatcherClient::Outcome DispatcherClient::say(const QByteArray& text,
                                                const std::stop_token& stop) {
    if (!connect(stop)) return stop.stop_requested() ? Outcome::Stopped : Outcome::Failed;
    std::size_t message = 0;
    const Status taken =
        connection_.speak(std::string_view(text.constData(), std::size_t(text.size())), message,
                          Clock::now() + answerPatience, stop);
    if (taken == Status::Stopped) return Outcome::Stopped;
    if (taken != Status::Ok) return Outcome::Failed;
    // First its beginning, soon; then its end, in the time the longest such phrase could take.
    // Meanwhile the service is asked something every second, and must answer soon: one that has
    // stopped in the middle of a phrase never reports its end.
    bool begun = false;
    auto deadline = Clock::now() + answerPatience;
    std::optional<Clock::time_point> asked;
    auto nextAsk = Clock::now() + ProbeEvery;
    for (;;) {
        const auto wake = std::min(deadline, asked   ? *asked + answerPatience
                                             : begun ? nextAsk
                                                     : deadline);
        SsipConnection::Reply block;
        const Status s = connection_.next(block, wake, stop);
        if (s == Status::Stopped) {
            connection_.post("CANCEL self");
            return Outcome::Stopped;
        }
        if (s == Status::TimedOut && Clock::now() < deadline && !asked) {
            connection_.post(Probe);
            asked = Clock::now();
            continue;
        }
        if (s != Status::Ok) return Outcome::Failed;
        if (!block.isNotice()) {
            asked.reset();  // the answer to the probe
            nextAsk = Clock::now() + ProbeEvery;
            continue;
        }
        if (block.message() != message) continue;  // about an earlier phrase
        if (block.code == SsipConnection::Begin && !begun) {
            begun = true;
            deadline = Clock::now() + phrasePatience(text.size());
            nextAsk = Clock::now() + ProbeEvery;
        } else if (block.code == SsipConnection::End || block.code == SsipConnection::Cancel) {
            break;
        }
    }
    const auto until = Clock::now() + Beat;
    while (Clock::now() < until && !stop.stop_requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Outcome::Heard;
}

bool DispatcherClient::speak(const QString& text) {
    if (lastFailure_ && Clock::now() - *lastFailure_ < RetryAfter) return false;
    // The same plain text the game's own voice would say: never markup, never a command.
    const QByteArray plain = QString::fromLatin1(plainText(text)).toUtf8();
    if (plain.trimmed().isEmpty()) return true;
    Outcome outcome = Outcome::Failed;
    std::stop_source cancel;
    waiter_.wait([&] { outcome = say(plain, cancel.get_token()); }, cancel);
    if (outcome == Outcome::Stopped || cancel.stop_requested()) return true;
    if (outcome == Outcome::Failed) {
        connection_.close();
        lastFailure_ = Clock::now();
        return false;
    }
    lastFailure_.reset();
    return true;
}

}  // namespace speech
