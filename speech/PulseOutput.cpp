// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/PulseOutput.h"

#include "speech/PulseLibrary.h"

#include <pulse/def.h>
#include <pulse/sample.h>
#include <QByteArray>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

namespace speech {

PulseOutput::Loader PulseOutput::defaultLoader() { return &PulseLibrary::Get; }

PulseOutput::PulseOutput(QString server, Loader load) : server_(std::move(server)), load_(load) {}

PulseOutput::~PulseOutput() {
    if (opening_.valid()) opening_.wait();
    disconnect();
}

void PulseOutput::openInBackground(int sampleRate) {
    opening_ = std::async(std::launch::async, [this, sampleRate] {
        if (!connect(sampleRate)) goneSilent(lastError_);
    });
}

void PulseOutput::goneSilent(const QString& why) {
    if (silent_) return;
    silent_ = true;
    if (silenceReport_) silenceReport_(why);
}

bool PulseOutput::connect(int sampleRate) {
    disconnect();
    pa_ = load_();
    if (!pa_) {
        lastError_ = QStringLiteral("the PulseAudio client library is not installed");
        return false;
    }
    pa_sample_spec format{};
    format.format = PA_SAMPLE_S16LE;
    format.rate = std::uint32_t(sampleRate);
    format.channels = 1;
    // A short buffer: playback starts as soon as the first samples arrive, and drain returns soon
    // after the last is heard. 60 ms rides out the writer being held up while both cores are
    // busy (20 ms ran dry mid-word under a build); the first sample is still heard about 12 ms
    // after Enter, and the pause between phrases grows by a few milliseconds.
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(pa_->usec_to_bytes(60 * 1000, &format));
    attr.prebuf = std::uint32_t(-1);
    attr.minreq = std::uint32_t(-1);
    attr.fragsize = std::uint32_t(-1);
    const QByteArray server = server_.toLocal8Bit();
    int error = 0;
    stream_ =
        pa_->simple_new(server_.isEmpty() ? nullptr : server.constData(), "Orthovane",
                        PA_STREAM_PLAYBACK, nullptr, "Speech", &format, nullptr, &attr, &error);
    if (!stream_) {
        lastError_ = QString::fromUtf8(pa_->strerror(error));
        return false;
    }
    rate_ = sampleRate;
    // A new stream that starts on a whole phrase can stall for seconds before the server plays
    // it; a moment of silence written at once gets it running, so the first word is not late.
    const std::vector<std::int16_t> silence(std::size_t(sampleRate / 10), 0);
    if (pa_->simple_write(stream_, silence.data(), silence.size() * sizeof(std::int16_t), &error) <
        0) {
        lastError_ = QString::fromUtf8(pa_->strerror(error));
        disconnect();
        return false;
    }
    return true;
}

void PulseOutput::disconnect() {
    if (stream_) pa_->simple_free(stream_);
    stream_ = nullptr;
}

bool PulseOutput::playOnce(const Pcm& pcm, const std::stop_token& stop, int& error) {
    // In slices of 50 ms, so a stop request is noticed while the phrase plays.
    const std::size_t slice = std::size_t(std::max(1, pcm.sampleRate / 20));
    for (std::size_t at = 0; at < pcm.samples.size(); at += slice) {
        if (stop.stop_requested()) return pa_->simple_flush(stream_, &error) >= 0;
        const std::size_t n = std::min(slice, pcm.samples.size() - at);
        if (pa_->simple_write(stream_, pcm.samples.data() + at, n * sizeof(std::int16_t), &error) <
            0) {
            return false;
        }
    }
    return pa_->simple_drain(stream_, &error) >= 0;
}

namespace {
// Waits as long as the phrase would take to hear, or until a stop is requested.
void waitSilently(double seconds, const std::stop_token& stop) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                       std::chrono::duration<double>(seconds));
    while (!stop.stop_requested()) {
        const Clock::duration left = until - Clock::now();
        if (left <= Clock::duration::zero()) break;
        std::this_thread::sleep_for(std::min<Clock::duration>(std::chrono::milliseconds(10), left));
    }
}
}  // namespace

bool PulseOutput::reconnectWithin(std::chrono::milliseconds patience, int sampleRate,
                                  const std::stop_token& stop) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + patience;
    for (;;) {
        if (connect(sampleRate)) return true;
        if (stop.stop_requested() || Clock::now() >= until) return false;
        waitSilently(0.1, stop);
    }
}

void PulseOutput::play(const Pcm& pcm, std::stop_token stop) {
    if (opening_.valid()) opening_.get();
    if (pcm.samples.empty()) return;
    if ((!stream_ || rate_ != pcm.sampleRate) && !connect(pcm.sampleRate)) {
        // No sound server: the phrase takes its time in silence, and the next one looks again.
        goneSilent(lastError_);
        waitSilently(pcm.seconds(), stop);
        return;
    }
    silent_ = false;
    // The server may go away in the middle of the phrase: restarted, crashed, or the user's audio
    // being set right, now and then twice in a row. It usually comes back within a second; the
    // wait starts again at each loss, and the phrase is said again whole once a server answers.
    // If none does, the game goes on without sound rather than end, and a later phrase finds the
    // server when it is back.
    for (int losses = 0;; ++losses) {
        int error = 0;
        if (playOnce(pcm, stop, error)) return;
        const QString lost = QString::fromUtf8(pa_->strerror(error));
        if (stop.stop_requested()) return;
        if (losses == MaxLosses || !reconnectWithin(reconnectPatience, pcm.sampleRate, stop)) {
            disconnect();
            if (!stop.stop_requested()) goneSilent(lost);
            return;
        }
    }
}

}  // namespace speech
