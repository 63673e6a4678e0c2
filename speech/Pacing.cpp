// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/Pacing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace speech {

namespace {
bool loud(const Pcm& pcm, std::size_t begin, std::size_t n) {
    double sum = 0;
    for (std::size_t i = begin; i < begin + n; ++i) {
        sum += double(pcm.samples[i]) * pcm.samples[i];
    }
    return std::sqrt(sum / double(n)) >= SoundRms;
}
}  // namespace

SoundExtent soundExtent(const Pcm& pcm) {
    const std::size_t frame = std::size_t(std::max(1, pcm.sampleRate * FrameMs / 1000));
    const std::size_t frames = pcm.samples.size() / frame;
    SoundExtent e;
    bool found = false;
    for (std::size_t f = 0; f < frames; ++f) {
        if (!loud(pcm, f * frame, frame)) continue;
        if (!found) e.first = f * frame;
        found = true;
        e.last = (f + 1) * frame;
    }
    return e;
}

void pace(Pcm& pcm) {
    const SoundExtent e = soundExtent(pcm);
    if (e.first == e.last) return;
    const std::size_t lead = std::size_t(pcm.sampleRate) * LeadMs / 1000;
    const std::size_t pause = std::size_t(pcm.sampleRate) * PauseMs / 1000;
    const std::size_t begin = e.first > lead ? e.first - lead : 0;
    std::vector<std::int16_t> paced(pcm.samples.begin() + std::ptrdiff_t(begin),
                                    pcm.samples.begin() + std::ptrdiff_t(e.last));
    paced.resize(paced.size() + pause, 0);
    pcm.samples = std::move(paced);
}

}  // namespace speech
