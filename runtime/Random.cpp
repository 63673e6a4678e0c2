// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/Random.h"

#include <bit>
#include <cstring>

namespace runtime {

namespace {

std::uint64_t splitmix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

}  // namespace

MixingRandom::MixingRandom(std::uint64_t initialState) {
    for (auto& s : s_) s = splitmix64(initialState);
}

std::uint64_t MixingRandom::next() {
    const std::uint64_t result = std::rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = std::rotl(s_[3], 45);
    return result;
}

void MixingRandom::Randomize(double seed) {
    std::uint64_t bits;
    std::memcpy(&bits, &seed, sizeof bits);
    // Folded into the state, never replacing it, so the sequence keeps moving.
    s_[0] ^= splitmix64(bits);
    s_[2] ^= splitmix64(bits);
    if ((s_[0] | s_[1] | s_[2] | s_[3]) == 0) s_[0] = 1;
    next();
}

float MixingRandom::Rnd() {
    // 24 bits: every value is exact in single precision and strictly below 1.
    return float(next() >> 40) * 0x1.0p-24f;
}

}  // namespace runtime
