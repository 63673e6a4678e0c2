// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SoundCapture.h"

#include <pulse/simple.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {

QString testSoundServer() { return QString::fromLocal8Bit(std::getenv("PULSE_SERVER")); }

namespace {
struct OwnSink {
    QByteArray name = "orthovane_test_" + QByteArray::number(::getpid());
    QByteArray module;  // the modules that make it, a blank between
    OwnSink() {
        if (testSoundServer().isEmpty()) return;
        const QByteArray command = ORTHOVANE_SOUND_SERVER " --sink " + name;
        if (FILE* out = ::popen(command.constData(), "r")) {
            char line[128] = {};
            if (std::fgets(line, sizeof line, out)) module = QByteArray(line).trimmed();
            ::pclose(out);
        }
        if (module.isEmpty()) throw std::runtime_error("cannot make a null sink for the test");
        // Every stream this process opens from now on plays there.
        ::setenv("PULSE_SINK", name.constData(), 1);
    }
    ~OwnSink() {
        if (module.isEmpty()) return;
        const QByteArray command = ORTHOVANE_SOUND_SERVER " --unsink " + module;
        [[maybe_unused]] const int status = std::system(command.constData());
    }
};
// Made before main, so it is there before the first stream opens.
const OwnSink own;
}  // namespace

const QByteArray& ownSink() { return own.name; }

SoundCapture::SoundCapture(const char* source) {
    const QByteArray monitor = ownSink() + ".monitor";
    if (!source) source = monitor.constData();
    pa_sample_spec format{PA_SAMPLE_S16LE, Rate, 1};
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.fragsize = Rate / 50 * 2;  // 20 ms
    int error = 0;
    stream_ = pa_simple_new(nullptr, "orthovane-test", PA_STREAM_RECORD, source, "capture", &format,
                            nullptr, &attr, &error);
    if (!stream_) throw std::runtime_error("cannot record from the test sound server");
    thread_ = std::thread([this] {
        std::vector<std::int16_t> chunk(Rate / 100);
        int err = 0;
        while (running_) {
            if (pa_simple_read(stream_, chunk.data(), chunk.size() * 2, &err) < 0) break;
            samples_.insert(samples_.end(), chunk.begin(), chunk.end());
            if (firstAudible(chunk) < chunk.size()) heard_ = true;
            started_ = true;
        }
        started_ = true;
    });
    while (!started_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

SoundCapture::~SoundCapture() { stop(); }

std::vector<std::int16_t> SoundCapture::stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
    if (stream_) pa_simple_free(stream_);
    stream_ = nullptr;
    return samples_;
}

std::size_t firstAudible(const std::vector<std::int16_t>& s, std::size_t from) {
    for (std::size_t i = from; i < s.size(); ++i) {
        if (std::abs(s[i]) >= AudibleThreshold) return i;
    }
    return s.size();
}

std::size_t lastAudible(const std::vector<std::int16_t>& s) {
    for (std::size_t i = s.size(); i > 0; --i) {
        if (std::abs(s[i - 1]) >= AudibleThreshold) return i - 1;
    }
    return 0;
}

std::vector<Span> soundSpans(const std::vector<std::int16_t>& s, std::size_t minGap,
                             int threshold) {
    std::vector<Span> spans;
    std::size_t lastLoud = 0;
    bool in = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (std::abs(s[i]) < threshold) continue;
        if (in && i - lastLoud < minGap) {
            lastLoud = i;
            continue;
        }
        if (in) spans.back().end = lastLoud + 1;
        spans.push_back({i, i + 1});
        in = true;
        lastLoud = i;
    }
    if (in) spans.back().end = lastLoud + 1;
    return spans;
}

}  // namespace testsupport
