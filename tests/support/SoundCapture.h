#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

struct pa_simple;

namespace testsupport {

// Records what the test's sound server plays, from its null sink's monitor, on a thread of its
// own: 16 kHz mono, the rate the voice speaks at.
class SoundCapture {
  public:
    // Returns once the recording has really started, so nothing played afterwards is missed.
    explicit SoundCapture(const char* source = "orthovane_null.monitor");
    ~SoundCapture();
    // Stops recording and returns every sample heard since the start.
    std::vector<std::int16_t> stop();

    static constexpr int Rate = 16000;

  private:
    pa_simple* stream_ = nullptr;
    std::atomic<bool> running_{true};
    std::atomic<bool> started_{false};
    std::vector<std::int16_t> samples_;
    std::thread thread_;
};

// Runs of sound in a recording: [start, end) in samples, split where the silence lasts at least
// `minGap` samples.
struct Span {
    std::size_t begin;
    std::size_t end;
};
std::vector<Span> soundSpans(const std::vector<std::int16_t>& s, std::size_t minGap,
                             int threshold = 300);

// The server the test run started; empty when there is none.
QString testSoundServer();

}  // namespace testsupport
