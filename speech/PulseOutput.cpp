// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/PulseOutput.h"

#include "speech/PulseLibrary.h"

#include <pulse/def.h>
#include <pulse/sample.h>
#include <QByteArray>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace speech {

namespace {

using Clock = std::chrono::steady_clock;

// Waits as long as the phrase would take to hear, or until a stop is requested.
void waitSilently(Clock::duration length, const std::stop_token& stop) {
    const Clock::time_point until = Clock::now() + length;
    while (!stop.stop_requested()) {
        const Clock::duration left = until - Clock::now();
        if (left <= Clock::duration::zero()) break;
        std::this_thread::sleep_for(std::min<Clock::duration>(std::chrono::milliseconds(10), left));
    }
}

// How the stream is buffered. A phrase was once trickled in 60 ms ahead of the device, and broke
// off mid-word whenever a loaded machine held the program up for longer; now the program keeps
// up to two seconds ahead, a whole phrase of all but the longest words. The device's own buffer
// stays 15 ms, so the first sample is heard as soon as before and a drain returns as the last is
// heard. The server makes that buffer half of the target length less two minimum requests, hence
// a request of almost half the target, and it asks for more once that much is missing: so the
// program never writes more than half the target ahead, and a write never waits for room.
constexpr pa_usec_t TargetUs = 4'000'000, DeviceUs = 15'000, AheadUs = TargetUs / 2;
// A drain cannot be cut short, so it is left only the last few milliseconds.
constexpr pa_usec_t DrainWithinUs = 20'000;
// PipeWire's PulseAudio server keeps the last part of a period back (29 to 70 ms were seen) until
// the stream is drained or written to again, and now and then never answers a drain at all. What
// it says is left then stops falling: found the same this many looks in a row, once the device
// has been seen playing and with no more than HeldTailUs to go, the phrase is pushed out with
// silence behind it instead, and the silence flushed once the phrase has been heard. A device
// that does not play is never taken for this: either nothing falls, or (a suspended PulseAudio
// sink, whose client guesses from the clock) it keeps falling.
constexpr int HeldLooks = 3;
constexpr pa_usec_t HeldTailUs = 200'000, PushOutUs = 100'000;

}  // namespace

// Told once each time the words stop being heard; shared with calls still under way.
struct PulseOutput::Silence {
    std::mutex lock;
    std::function<void(const QString&)> report;
    bool silent = false;

    void gone(const QString& why) {
        std::function<void(const QString&)> tell;
        {
            const std::lock_guard<std::mutex> one(lock);
            if (silent) return;
            silent = true;
            tell = report;
        }
        if (tell) tell(why);
    }
    void heard() {
        const std::lock_guard<std::mutex> one(lock);
        silent = false;
    }
};

// One connection to the server, and the blocking calls made on it, one at a time. By when the
// call under way should be done is there for the caller's watchdog to read: one value, so it is
// never read half updated.
struct PulseOutput::Link {
    Link(QString s, Loader l) : server(std::move(s)), load(l) {}
    ~Link() { disconnect(); }

    // The call under way should be done within `time` from now; a call that sees the device
    // play moves this on, so only a device that plays nothing for so long is taken for stalled.
    void dueWithin(Clock::duration time) { due = (Clock::now() + time).time_since_epoch().count(); }
    void idle() { due = 0; }
    bool connect(int sampleRate);
    void disconnect();
    bool playOnce(const Pcm& pcm, const std::stop_token& stop, Clock::duration margin, int& error);
    bool reconnectWithin(std::chrono::milliseconds patience, int sampleRate,
                         const std::stop_token& stop);

    enum class Heard { Yes, NoServer, Lost };
    struct Outcome {
        Heard heard;
        QString why;
    };
    Outcome play(const Pcm& pcm, const std::stop_token& stop, std::chrono::milliseconds patience,
                 std::chrono::milliseconds margin);

    const QString server;
    const Loader load;
    std::mutex busy;
    const PulseLibrary* pa = nullptr;  // loaded with the first connect
    pa_simple* stream = nullptr;
    int rate = 0;
    QString lastError;
    std::atomic<Clock::rep> due{0};  // 0: no call under way
    // The phrase under way has been played to its last few milliseconds: whatever the call
    // still waits for (a drain the server answers late), the player has heard it.
    std::atomic<bool> heardWhole{false};
    // When the drain under way was asked for; 0: none is.
    std::atomic<Clock::rep> drainAskedAt{0};

    // Given up on by the caller: the call under way plays nothing more once it is back, and the
    // thread then ends.
    std::atomic<bool> abandoned{false};

    // The calls run on one thread of the link's own, started with the first and kept for the
    // next, so a phrase starts without a thread being made for it.
    void post(const std::shared_ptr<Link>& self, std::function<void()> call);
    void quit();
    void setRestAfter(std::chrono::milliseconds quiet) {
        const std::lock_guard<std::mutex> one(callsLock);
        restAfter = quiet;
    }

  private:
    void serve();
    std::mutex callsLock;
    std::condition_variable callsReady;
    std::deque<std::function<void()>> calls;
    std::shared_ptr<Link> keptAlive;  // the thread's hold on its link, while it runs
    // How long the stream is kept with nothing to play.
    std::chrono::milliseconds restAfter{60'000};
    bool quitting = false;
};

void PulseOutput::Link::post(const std::shared_ptr<Link>& self, std::function<void()> call) {
    const std::lock_guard<std::mutex> one(callsLock);
    calls.push_back(std::move(call));
    if (!keptAlive) {
        keptAlive = self;
        std::thread([this] { serve(); }).detach();
    }
    callsReady.notify_one();
}

void PulseOutput::Link::quit() {
    const std::lock_guard<std::mutex> one(callsLock);
    quitting = true;
    callsReady.notify_one();
}

void PulseOutput::Link::serve() {
    std::unique_lock<std::mutex> lock(callsLock);
    for (;;) {
        // A stream held open keeps the sound server, and the device, awake with nothing to play;
        // after a while with nothing to say it is let go, and the next phrase connects anew.
        if (!callsReady.wait_for(lock, restAfter,
                                 [this] { return quitting || abandoned || !calls.empty(); })) {
            lock.unlock();
            {
                const std::lock_guard<std::mutex> one(busy);
                disconnect();
            }
            lock.lock();
            continue;
        }
        if (quitting || abandoned) break;
        std::function<void()> call = std::move(calls.front());
        calls.pop_front();
        lock.unlock();
        call();
        lock.lock();
    }
    // The link goes with its thread's hold on it, unless the output still has it.
    std::shared_ptr<Link> last = std::move(keptAlive);
    lock.unlock();
}

PulseOutput::Loader PulseOutput::defaultLoader() { return &PulseLibrary::Get; }

void PulseOutput::behindUnansweredDrain(const std::stop_token& stop) {
    for (bool sayAgain = true; unanswered_ && link_; sayAgain = false) {
        const std::shared_ptr<const Pcm> phrase = std::move(unanswered_);
        const Clock::rep asked = link_->drainAskedAt;
        const Clock::time_point givenUp = Clock::time_point(Clock::duration(asked)) + drainPatience;
        while (link_->drainAskedAt == asked && asked != 0 && Clock::now() < givenUp &&
               !stop.stop_requested()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (link_->drainAskedAt != asked || asked == 0) return;
        // Never answered: the call is left to its thread with its stream, and the phrase is said
        // again on a new one. Every such drain PipeWire's server left unanswered was of a phrase
        // that never reached the device, though the server had taken it as if playing.
        link_->abandoned = true;
        link_->quit();
        link_.reset();
        if (!sayAgain || stop.stop_requested()) return;
        play(*phrase, stop);
    }
}

PulseOutput::PulseOutput(QString server, Loader load)
    : server_(std::move(server)), load_(load), silence_(std::make_shared<Silence>()) {}

// A call still under way keeps its connection, and finishes on its own thread.
PulseOutput::~PulseOutput() {
    if (link_) link_->quit();
}

std::shared_ptr<PulseOutput::Link> PulseOutput::link() {
    if (!link_) {
        link_ = std::make_shared<Link>(server_, load_);
        link_->setRestAfter(restAfter_);
    }
    return link_;
}

void PulseOutput::onSilence(std::function<void(const QString&)> report) {
    const std::lock_guard<std::mutex> one(silence_->lock);
    silence_->report = std::move(report);
}

bool PulseOutput::open(int sampleRate) {
    const auto l = link();
    const std::lock_guard<std::mutex> one(l->busy);
    return l->connect(sampleRate);
}

void PulseOutput::loadInBackground() {
    const auto l = link();
    l->post(l, [l = l.get()] {
        const std::lock_guard<std::mutex> one(l->busy);
        if (!l->pa) l->pa = l->load();
    });
}

void PulseOutput::rest() {
    if (!link_) return;
    link_->post(link_, [l = link_.get()] {
        const std::lock_guard<std::mutex> one(l->busy);
        l->disconnect();
    });
}

void PulseOutput::setRestAfter(std::chrono::milliseconds quiet) {
    restAfter_ = quiet;
    link()->setRestAfter(quiet);
}

bool PulseOutput::connected() const {
    if (!link_) return false;
    const std::lock_guard<std::mutex> one(link_->busy);
    return link_->stream != nullptr;
}

void PulseOutput::close() {
    if (!link_) return;
    const std::lock_guard<std::mutex> one(link_->busy);
    link_->disconnect();
}

QString PulseOutput::lastError() const {
    if (!link_) return {};
    const std::lock_guard<std::mutex> one(link_->busy);
    return link_->lastError;
}

bool PulseOutput::Link::connect(int sampleRate) {
    disconnect();
    if (!pa) pa = load();
    if (!pa) {
        lastError = QStringLiteral("the PulseAudio client library is not installed");
        return false;
    }
    pa_sample_spec format{};
    format.format = PA_SAMPLE_S16LE;
    format.rate = std::uint32_t(sampleRate);
    format.channels = 1;
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(pa->usec_to_bytes(TargetUs, &format));
    attr.minreq = std::uint32_t(pa->usec_to_bytes(TargetUs / 2 - DeviceUs, &format));
    attr.prebuf = sizeof(std::int16_t);  // one frame: playback starts with the first sample
    attr.fragsize = std::uint32_t(-1);
    const QByteArray name = server.toLocal8Bit();
    int error = 0;
    stream = pa->simple_new(server.isEmpty() ? nullptr : name.constData(), "Orthovane",
                            PA_STREAM_PLAYBACK, nullptr, "Speech", &format, nullptr, &attr, &error);
    if (!stream) {
        lastError = QString::fromUtf8(pa->strerror(error));
        return false;
    }
    rate = sampleRate;
    return true;
}

void PulseOutput::Link::disconnect() {
    if (stream) pa->simple_free(stream);
    stream = nullptr;
}

bool PulseOutput::Link::playOnce(const Pcm& pcm, const std::stop_token& stop,
                                 Clock::duration margin, int& error) {
    enum Waited { Played, KeptBack, Stopped, Failed };
    const auto stopped = [&] { return stop.stop_requested() || abandoned; };
    const auto us = [&](std::size_t samples) { return pa_usec_t(pcm.timeOf(samples).count()); };
    std::size_t written = 0;
    std::optional<pa_usec_t> lastLeft;  // what the server had to play when last asked
    bool seenPlaying = false;
    int unchanged = 0;  // looks in a row that found as much left as the one before
    // Until the server has no more than `left` still to play; a stop is looked for meanwhile.
    // Each time the server has less to play than before, the device is playing: the call is
    // then due once what is left has been heard, and a margin.
    const auto playDownTo = [&](pa_usec_t left) {
        unchanged = 0;
        for (;;) {
            if (stopped()) return Stopped;
            const pa_usec_t now = pa->simple_get_latency(stream, &error);
            if (now == pa_usec_t(-1)) return Failed;
            if (lastLeft && now < *lastLeft) {
                const pa_usec_t toHear = now + us(pcm.samples.size()) - us(written);
                dueWithin(std::chrono::microseconds(toHear) + margin);
                seenPlaying = true;
            }
            unchanged = lastLeft && now == *lastLeft ? unchanged + 1 : 0;
            lastLeft = now;
            if (now <= left) return Played;
            if (written == pcm.samples.size() && seenPlaying && unchanged >= HeldLooks &&
                now <= HeldTailUs) {
                return KeptBack;
            }
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::min<pa_usec_t>(now - left, 10'000)));
        }
    };
    const auto ended = [&](Waited w) {
        return w == Stopped ? pa->simple_flush(stream, &error) >= 0 : false;
    };
    const std::size_t slice = std::size_t(std::max(1, pcm.sampleRate / 20));
    for (std::size_t at = 0; at < pcm.samples.size(); at += slice) {
        const std::size_t n = std::min(slice, pcm.samples.size() - at);
        // The phrase's first two seconds fit as they are, since the one before was played out or
        // flushed; the server is asked how far it has got only beyond them.
        const Waited w =
            us(at + n) <= AheadUs ? (stopped() ? Stopped : Played) : playDownTo(AheadUs - us(n));
        if (w != Played) return ended(w);
        if (pa->simple_write(stream, pcm.samples.data() + at, n * sizeof(std::int16_t), &error) <
            0) {
            return false;
        }
        written = at + n;
        if (lastLeft) *lastLeft += us(n);
    }
    Waited w = playDownTo(DrainWithinUs);
    if (w == KeptBack) {
        // More silence than is kept back: once no more than that is left, the phrase is heard.
        const pa_usec_t quietUs = *lastLeft + PushOutUs;
        const std::vector<std::int16_t> quiet(
            std::size_t(std::int64_t(pcm.sampleRate) * std::int64_t(quietUs) / 1'000'000));
        if (pa->simple_write(stream, quiet.data(), quiet.size() * sizeof(std::int16_t), &error) <
            0) {
            return false;
        }
        *lastLeft += us(quiet.size());
        w = playDownTo(us(quiet.size()));
        if (w == Played) {
            heardWhole = true;
            return pa->simple_flush(stream, &error) >= 0;
        }
    }
    if (w != Played && w != KeptBack) return ended(w);
    heardWhole = true;
    drainAskedAt = Clock::now().time_since_epoch().count();
    const bool drained = pa->simple_drain(stream, &error) >= 0;
    drainAskedAt = 0;
    return drained;
}

bool PulseOutput::Link::reconnectWithin(std::chrono::milliseconds patience, int sampleRate,
                                        const std::stop_token& stop) {
    const Clock::time_point until = Clock::now() + patience;
    for (;;) {
        if (connect(sampleRate)) return true;
        if (stop.stop_requested() || abandoned || Clock::now() >= until) return false;
        waitSilently(std::chrono::milliseconds(100), stop);
    }
}

PulseOutput::Link::Outcome PulseOutput::Link::play(const Pcm& pcm, const std::stop_token& stop,
                                                   std::chrono::milliseconds patience,
                                                   std::chrono::milliseconds margin) {
    const std::lock_guard<std::mutex> one(busy);
    const Clock::duration length = pcm.timeOf(pcm.samples.size());
    if (!stream || rate != pcm.sampleRate) {
        dueWithin(patience + margin);
        if (!connect(pcm.sampleRate)) {
            idle();
            return {Heard::NoServer, lastError};
        }
    }
    // The server may go away in the middle of the phrase: restarted, crashed, or the user's audio
    // being set right, now and then twice in a row. It usually comes back within a second; the
    // wait starts again at each loss, and the phrase is said again whole once a server answers.
    for (int losses = 0;; ++losses) {
        int error = 0;
        heardWhole = false;
        dueWithin(length + margin);
        if (playOnce(pcm, stop, margin, error) || stop.stop_requested()) {
            idle();
            return {Heard::Yes, {}};
        }
        const QString lost = QString::fromUtf8(pa->strerror(error));
        dueWithin(patience + margin);
        if (losses == MaxLosses || !reconnectWithin(patience, pcm.sampleRate, stop)) {
            disconnect();
            idle();
            // Closing the window cut the wait short: nothing went unheard that was to be heard.
            return {stop.stop_requested() ? Heard::Yes : Heard::Lost, lost};
        }
    }
}

void PulseOutput::play(const Pcm& pcm, std::stop_token stop) {
    if (pcm.samples.empty()) return;
    behindUnansweredDrain(stop);
    const auto l = link();
    auto phrase = std::make_shared<const Pcm>(pcm);
    auto promise = std::make_shared<std::promise<Link::Outcome>>();
    std::future<Link::Outcome> result = promise->get_future();
    l->post(l, [l = l.get(), phrase, stop, patience = reconnectPatience, margin = stallMargin,
                promise] { promise->set_value(l->play(*phrase, stop, patience, margin)); });
    // Each step of the call is given its time: a connect as long as a server may take to come
    // back, the phrase its own length from when the device was last seen to play; a margin on
    // top. A device that does not play (suspended,
    // stalled) never lets the call return: the phrase is then over, as if silent, the call is
    // left to finish on its thread with its connection, and the next phrase connects anew.
    const Clock::time_point began = Clock::now();
    const Clock::duration length = pcm.timeOf(pcm.samples.size());
    while (result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        const Clock::time_point now = Clock::now();
        const Clock::rep due = l->due;
        // Not begun: a call before it (a connect in the background) is still under way.
        const bool overdue = due != 0 ? now > Clock::time_point(Clock::duration(due))
                                      : now - began > reconnectPatience + length + stallMargin;
        if (overdue && l->heardWhole) {
            // Heard to the end: the call finishes on its thread, with the stream, and the next
            // phrase waits its turn behind it.
            l->heardWhole = false;
            l->idle();
            if (l->drainAskedAt != 0) unanswered_ = phrase;
            silence_->heard();
            return;
        }
        if (overdue) {
            l->abandoned = true;
            link_.reset();
            silence_->gone(QStringLiteral("the sound device does not play"));
            return;
        }
    }
    const Link::Outcome outcome = result.get();
    if (outcome.heard == Link::Heard::Yes) {
        silence_->heard();
        return;
    }
    silence_->gone(outcome.why);
    if (outcome.heard == Link::Heard::NoServer) {
        // No sound server: the phrase takes its time in silence, and the next one looks again.
        waitSilently(length - (Clock::now() - began), stop);
    }
}

}  // namespace speech
