// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/PulseOutput.h"

#include "runtime/RuntimeError.h"

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

void PulseOutput::openInBackground(int sampleRate,
                                   std::function<void(const QString& error)> failed) {
    opening_ = std::async(std::launch::async, [this, sampleRate, failed = std::move(failed)] {
        if (!connect(sampleRate) && failed) failed(lastError_);
    });
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

void PulseOutput::play(const Pcm& pcm, std::stop_token stop) {
    if (opening_.valid()) opening_.get();
    if (pcm.samples.empty()) return;
    const bool wasConnected = stream_ != nullptr;
    if (!stream_ || rate_ != pcm.sampleRate) {
        if (!connect(pcm.sampleRate)) {
            if (wasConnected) {
                throw ::runtime::RuntimeError(::runtime::Err::AutomationError,
                                              QStringLiteral("Automation error: ") + lastError_);
            }
            // No sound server: the phrase takes its time in silence.
            waitSilently(pcm.seconds(), stop);
            return;
        }
    }
    int error = 0;
    if (playOnce(pcm, stop, error)) return;
    if (connect(pcm.sampleRate) && playOnce(pcm, stop, error)) return;
    if (!stream_) error = 0;
    disconnect();
    throw ::runtime::RuntimeError(
        ::runtime::Err::AutomationError,
        QStringLiteral("Automation error: ") +
            (error ? QString::fromUtf8(pa_->strerror(error)) : lastError_));
}

}  // namespace speech
