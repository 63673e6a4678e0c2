// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

struct pa_simple;

namespace testsupport {

// Records what this test binary plays, from the monitor of a null sink of its own on the test
// run's sound server, on a thread of its own: 16 kHz mono, the rate the voice speaks at. Every
// stream the binary opens plays into that sink, so two binaries recording at once under ctest -j
// never hear each other.
class SoundCapture {
  public:
    // Returns once the recording has really started, so nothing played afterwards is missed.
    // With no source named, this binary's own sink is recorded.
    explicit SoundCapture(const char* source = nullptr);
    ~SoundCapture();
    // Stops recording and returns every sample heard since the start.
    std::vector<std::int16_t> stop();
    // Whether anything audible has been heard yet; while recording, from any thread.
    bool heardSound() const { return heard_; }

    static constexpr int Rate = 16000;

  private:
    pa_simple* stream_ = nullptr;
    std::atomic<bool> running_{true};
    std::atomic<bool> started_{false};
    std::atomic<bool> heard_{false};
    std::vector<std::int16_t> samples_;
    std::thread thread_;
};

// A sample heard as sound: at least this far from zero either way.
inline constexpr int AudibleThreshold = 300;
// The first audible sample from `from` on, or s.size(); the last audible one, or 0.
std::size_t firstAudible(const std::vector<std::int16_t>& s, std::size_t from = 0);
std::size_t lastAudible(const std::vector<std::int16_t>& s);

// Runs of sound in a recording: [start, end) in samples, split where the silence lasts at least
// `minGap` samples.
struct Span {
    std::size_t begin;
    std::size_t end;
};
std::vector<Span> soundSpans(const std::vector<std::int16_t>& s, std::size_t minGap,
                             int threshold = AudibleThreshold);

// The server the test run started; empty when there is none.
QString testSoundServer();
// The null sink of this binary's own: made on first use, removed when the binary ends.
const QByteArray& ownSink();

}  // namespace testsupport
