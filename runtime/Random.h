// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace runtime {

// The random generator: values uniform in [0, 1), and re-seeding that moves the generator on
// rather than restarting it.
class Random {
  public:
    virtual ~Random() = default;
    virtual void Randomize(double seed) = 0;
    virtual float Rnd() = 0;
};

// xoshiro256** with re-seeding that mixes the seed into the running state: two re-seeds with the
// same number are followed by different values, as a time-of-day seed that changes once a second
// requires.
class MixingRandom final : public Random {
  public:
    explicit MixingRandom(std::uint64_t initialState = 0x4f7274686f76616eULL);

    void Randomize(double seed) override;
    float Rnd() override;
    std::uint64_t next();

  private:
    std::uint64_t s_[4];
};

}  // namespace runtime
