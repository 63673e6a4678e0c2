// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/DispatcherClient.h"

#include "speech/FliteSynth.h"
#include "speech/SpeechdLibrary.h"

#include <speech-dispatcher/libspeechd.h>
#include <speech-dispatcher/speechd_types.h>
#include <QByteArray>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <stop_token>

namespace speech {

namespace {

// The library's callbacks carry no pointer of ours, only the message's number, so the messages
// it has finished with are kept here for whoever waits on them.
struct Finished {
    std::mutex mutex;
    std::condition_variable changed;
    std::set<std::size_t> ids;
};

Finished& finished() {
    static Finished f;
    return f;
}

void onFinished(std::size_t id, std::size_t /*client*/, SPDNotificationType /*state*/) {
    Finished& f = finished();
    {
        const std::lock_guard lock(f.mutex);
        f.ids.insert(id);
    }
    f.changed.notify_all();
}

SPDConnection* handle(void* connection) { return static_cast<SPDConnection*>(connection); }

// A service that cannot be reached is not asked again at every phrase: starting it can take a
// second, each time.
constexpr auto RetryAfter = std::chrono::seconds(10);
constexpr auto Beat = std::chrono::milliseconds(150);

}  // namespace

DispatcherClient::Loader DispatcherClient::defaultLoader() { return &SpeechdLibrary::Get; }

DispatcherClient::DispatcherClient(Waiter& waiter, Loader load) : waiter_(waiter), load_(load) {}

DispatcherClient::~DispatcherClient() { disconnect(); }

bool DispatcherClient::connect() {
    if (connection_) return true;
    const auto now = std::chrono::steady_clock::now();
    if (lastAttempt_ && now - *lastAttempt_ < RetryAfter) return false;
    lastAttempt_ = now;
    if (!spd_) spd_ = load_();
    if (!spd_) return false;
    char* error = nullptr;
    SPDConnection* c =
        spd_->open2("orthovane", "main", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
    std::free(error);
    if (!c) return false;
    connection_ = c;
    c->callback_end = onFinished;
    c->callback_cancel = onFinished;
    if (spd_->notificationOn(c, SPD_END) != 0 || spd_->notificationOn(c, SPD_CANCEL) != 0) {
        disconnect();
        return false;
    }
    if (char** modules = spd_->listModules(c)) {
        for (char** m = modules; *m; ++m) {
            if (std::strcmp(*m, PreferredModule) == 0) {
                spd_->setOutputModule(c, PreferredModule);
                break;
            }
        }
        spd_->freeModules(modules);
    }
    return true;
}

void DispatcherClient::disconnect() {
    if (connection_) spd_->close(handle(connection_));
    connection_ = nullptr;
}

bool DispatcherClient::speak(const QString& text) {
    if (!connect()) return false;
    // The same plain text the game's own voice would say: never markup, never a command.
    const QByteArray plain = QString::fromLatin1(FliteSynth::plainText(text)).toUtf8();
    if (plain.trimmed().isEmpty()) return true;
    const int id = spd_->say(handle(connection_), SPD_IMPORTANT, plain.constData());
    if (id < 0) {
        disconnect();
        return false;
    }
    bool reported = false;
    std::stop_source cancel;
    waiter_.wait(
        [&] {
            Finished& f = finished();
            const std::stop_token stop = cancel.get_token();
            // Made before the lock is taken: a stop already asked for runs it here and now.
            std::stop_callback wake(stop, [&f] {
                // Locked so the wake-up cannot fall between the waiter's check and its sleep.
                const std::lock_guard relock(f.mutex);
                f.changed.notify_all();
            });
            std::unique_lock lock(f.mutex);
            reported = f.changed.wait_for(lock, patience, [&] {
                return f.ids.count(std::size_t(id)) != 0 || stop.stop_requested();
            });
            f.ids.erase(std::size_t(id));
            // The service's voice stops dead at the end of a phrase, and reports the end while
            // the last of it is still playing: this beat makes the pause heard before the next
            // phrase what the game's own voice leaves, about 170 ms (measured at the sound
            // server with speech-dispatcher 0.11's flite module).
            if (reported) f.changed.wait_for(lock, Beat, [&] { return stop.stop_requested(); });
        },
        cancel);
    if (cancel.stop_requested()) {
        spd_->cancel(handle(connection_));
        return true;
    }
    if (!reported) disconnect();
    return reported;
}

}  // namespace speech
