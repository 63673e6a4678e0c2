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
SoundExtent extentAt(const Pcm& pcm, int level) {
    const auto reaches = [level](std::int16_t v) { return v >= level || v <= -level; };
    const auto first = std::find_if(pcm.samples.begin(), pcm.samples.end(), reaches);
    if (first == pcm.samples.end()) return {};
    const auto last = std::find_if(pcm.samples.rbegin(), pcm.samples.rend(), reaches);
    return {std::size_t(first - pcm.samples.begin()), std::size_t(pcm.samples.rend() - last)};
}
}  // namespace

SoundExtent soundExtent(const Pcm& pcm) { return extentAt(pcm, SoundLevel); }

SoundExtent heardExtent(const Pcm& pcm) { return extentAt(pcm, HeardLevel); }

void pace(Pcm& pcm) {
    const SoundExtent e = soundExtent(pcm);
    if (e.first == e.last) return;
    const std::size_t lead = std::size_t(pcm.sampleRate) * LeadMs / 1000;
    const std::size_t begin = e.first > lead ? e.first - lead : 0;
    const std::size_t fade = std::size_t(pcm.sampleRate) * FadeMs / 1000;
    const std::size_t end = std::min(pcm.samples.size(), e.last + fade);
    std::vector<std::int16_t> paced(pcm.samples.begin() + std::ptrdiff_t(begin),
                                    pcm.samples.begin() + std::ptrdiff_t(end));
    for (std::size_t i = e.last; i < end; ++i) {
        const double gain = double(end - i) / double(fade + 1);
        paced[i - begin] = std::int16_t(std::lround(paced[i - begin] * gain));
    }
    pcm.samples = std::move(paced);
}

}  // namespace speech
