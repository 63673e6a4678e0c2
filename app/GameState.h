// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/RuntimeError.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

namespace speech {
class Voice;
}

namespace app {

// A 16-bit signed counter whose every increment checks for overflow, as the game's counters do.
class Counter16 {
  public:
    std::int16_t value() const { return v_; }
    operator std::int16_t() const { return v_; }
    void reset() { v_ = 0; }
    void increment() {
        if (v_ == INT16_MAX) throw runtime::RuntimeError(runtime::Err::Overflow);
        ++v_;
    }

  private:
    std::int16_t v_ = 0;
};

// The ten words of the current level. Any slot outside 0..9 is a subscript error.
class LevelWordSlots {
  public:
    static constexpr int Size = 10;
    QString& operator()(int i) { return words_[checked(i)]; }
    const QString& operator()(int i) const { return words_[checked(i)]; }

  private:
    static std::size_t checked(int i) {
        if (i < 0 || i >= Size) throw runtime::RuntimeError(runtime::Err::SubscriptOutOfRange);
        return std::size_t(i);
    }
    std::array<QString, Size> words_;
};

// The window's module-level variables.
struct GameState {
    std::int16_t FileNumber = 0;
    std::int16_t WordIndex = 0;
    Counter16 AnsweredCount;
    Counter16 CorrectCount;
    Counter16 LoggedCorrectCount;
    LevelWordSlots LevelWords;
    QString FileWord;
    std::unique_ptr<speech::Voice> Voice;

    GameState();
    ~GameState();
};

}  // namespace app
