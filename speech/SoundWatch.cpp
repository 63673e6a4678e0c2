// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/SoundWatch.h"

#include "speech/Pacing.h"
#include "speech/PulseLibrary.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

namespace speech {

namespace {

constexpr std::uint32_t Rate = 8000;
// A read returns this often, so a thread sees soon that it is no longer wanted.
constexpr std::size_t ChunkSamples = Rate / 50;

// True once a sound is heard from `source`; false when it cannot be listened to, or is no
// longer wanted.
bool heardFrom(const std::string& source, const std::atomic<bool>& done) {
    const PulseLibrary* pa = PulseLibrary::Get();
    if (!pa) return false;
    const pa_sample_spec format{PA_SAMPLE_S16LE, Rate, 1};
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.fragsize = std::uint32_t(ChunkSamples * sizeof(std::int16_t));
    int error = 0;
    pa_simple* stream = pa->simple_new(nullptr, "Orthovane", PA_STREAM_RECORD, source.c_str(),
                                       "Speech check", &format, nullptr, &attr, &error);
    if (!stream) return false;
    std::array<std::int16_t, ChunkSamples> chunk{};
    bool sound = false;
    while (!sound && !done && pa->simple_read(stream, chunk.data(), sizeof chunk, &error) >= 0) {
        for (const std::int16_t sample : chunk)
            sound = sound || std::abs(int(sample)) >= HeardLevel;
    }
    pa->simple_free(stream);
    return sound;
}

}  // namespace

SoundWatch::SoundWatch() : shared_(std::make_shared<Shared>()) {
    std::string sources[2] = {"@DEFAULT_MONITOR@"};
    const char* sink = std::getenv("PULSE_SINK");
    if (sink && *sink) sources[1] = std::string(sink) + ".monitor";
    for (const std::string& source : sources) {
        if (source.empty()) continue;
        ++shared_->listening;
        // Let go rather than joined: a sound server that has stopped answering must not hold
        // up the phrase. The thread keeps what it writes to alive, and ends at its next read.
        std::thread([shared = shared_, source] {
            if (heardFrom(source, shared->done))
                shared->sound = true;
            else if (!shared->done)
                ++shared->deaf;
        }).detach();
    }
}

SoundWatch::~SoundWatch() { shared_->done = true; }

SoundWatch::Heard SoundWatch::heard() const {
    if (shared_->sound) return Heard::Sound;
    return shared_->deaf == shared_->listening ? Heard::Deaf : Heard::Nothing;
}

}  // namespace speech
