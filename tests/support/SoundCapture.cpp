#include "support/SoundCapture.h"

#include <pulse/simple.h>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {

QString testSoundServer() { return QString::fromLocal8Bit(std::getenv("PULSE_SERVER")); }

SoundCapture::SoundCapture(const char* source) {
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
