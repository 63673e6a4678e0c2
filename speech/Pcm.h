// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

namespace speech {

// Mono 16-bit samples at one rate.
struct Pcm {
    int sampleRate = 16000;
    std::vector<std::int16_t> samples;

    double seconds() const { return sampleRate > 0 ? double(samples.size()) / sampleRate : 0; }
};

}  // namespace speech
