// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace speech {

// Mono 16-bit samples at one rate.
struct Pcm {
    int sampleRate = 16000;
    std::vector<std::int16_t> samples;

    double seconds() const { return sampleRate > 0 ? double(samples.size()) / sampleRate : 0; }
    // How long this many of its samples take to play.
    std::chrono::microseconds timeOf(std::size_t n) const {
        return std::chrono::microseconds(sampleRate > 0 ? std::int64_t(n) * 1'000'000 / sampleRate
                                                        : 0);
    }
};

}  // namespace speech
