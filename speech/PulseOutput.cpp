#include "speech/PulseOutput.h"

#include "app/RuntimeError.h"

#include <pulse/error.h>
#include <pulse/simple.h>
#include <chrono>
#include <thread>
#include <vector>

namespace speech {

PulseOutput::PulseOutput(QString server) : server_(std::move(server)) {}

PulseOutput::~PulseOutput() { disconnect(); }

bool PulseOutput::connect(int sampleRate) {
    disconnect();
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = std::uint32_t(sampleRate);
    spec.channels = 1;
    // A short buffer: drain returns soon after the last sample is heard, and playback starts as
    // soon as the first samples arrive instead of waiting for the buffer to fill.
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(pa_usec_to_bytes(40 * 1000, &spec));
    attr.prebuf = std::uint32_t(-1);
    attr.minreq = std::uint32_t(-1);
    attr.fragsize = std::uint32_t(-1);
    const QByteArray server = server_.toLocal8Bit();
    int error = 0;
    stream_ = pa_simple_new(server_.isEmpty() ? nullptr : server.constData(), "Orthovane",
                            PA_STREAM_PLAYBACK, nullptr, "Speech", &spec, nullptr, &attr, &error);
    if (!stream_) {
        lastError_ = QString::fromUtf8(pa_strerror(error));
        return false;
    }
    rate_ = sampleRate;
    // A new stream that starts on a whole phrase can stall for seconds before the server plays
    // it; a moment of silence written at once gets it running, so the first word is not late.
    const std::vector<std::int16_t> silence(std::size_t(sampleRate / 10), 0);
    if (pa_simple_write(stream_, silence.data(), silence.size() * sizeof(std::int16_t), &error) < 0) {
        lastError_ = QString::fromUtf8(pa_strerror(error));
        disconnect();
        return false;
    }
    return true;
}

void PulseOutput::disconnect() {
    if (stream_) pa_simple_free(stream_);
    stream_ = nullptr;
}

bool PulseOutput::playOnce(const Pcm& pcm, int& error) {
    const std::size_t bytes = pcm.samples.size() * sizeof(std::int16_t);
    if (pa_simple_write(stream_, pcm.samples.data(), bytes, &error) < 0) return false;
    return pa_simple_drain(stream_, &error) >= 0;
}

void PulseOutput::play(const Pcm& pcm) {
    if (pcm.samples.empty()) return;
    const bool wasConnected = stream_ != nullptr;
    if (!stream_ || rate_ != pcm.sampleRate) {
        if (!connect(pcm.sampleRate)) {
            if (wasConnected) {
                throw app::RuntimeError(app::Err::AutomationError,
                                        QStringLiteral("Automation error: ") + lastError_);
            }
            // No sound server: the phrase takes its time in silence.
            std::this_thread::sleep_for(std::chrono::duration<double>(pcm.seconds()));
            return;
        }
    }
    int error = 0;
    if (playOnce(pcm, error)) return;
    if (connect(pcm.sampleRate) && playOnce(pcm, error)) return;
    if (!stream_) error = 0;
    disconnect();
    throw app::RuntimeError(app::Err::AutomationError,
                            QStringLiteral("Automation error: ") +
                                (error ? QString::fromUtf8(pa_strerror(error)) : lastError_));
}

}  // namespace speech
