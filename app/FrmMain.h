// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Controls.h"
#include "app/GameState.h"
#include "app/Identity.h"

#include <QString>
#include <array>
#include <cstddef>
#include <utility>
#include <vector>

namespace runtime {
class Random;
class Services;
}  // namespace runtime

namespace app {

// A game climbs six levels of ten words each; a perfect game is every one of them right.
inline constexpr int LevelCount = 6;
inline constexpr int WordsPerLevel = LevelWordSlots::Size;
inline constexpr int PerfectScore = LevelCount * WordsPerLevel;

inline const std::array<QString, LevelCount> LevelCaption = {
    QStringLiteral("Level 1"), QStringLiteral("Level 2"), QStringLiteral("Level 3"),
    QStringLiteral("Level 4"), QStringLiteral("Level 5"), QStringLiteral("Level 6")};

// The level (1..6) whose literal the caption is, compared exactly; 0 for any other caption.
inline int levelOf(const QString& caption) {
    for (std::size_t i = 0; i < LevelCaption.size(); ++i) {
        if (caption == LevelCaption[i]) return int(i) + 1;
    }
    return 0;
}

// Window heights, title bar and borders included: the top row alone, or with the results list.
inline constexpr float PlayHeight = 1300;
inline constexpr float ResultsHeight = 5000;

inline constexpr int DesignClientWidth = 10710;
inline constexpr int DesignClientHeight = 930;

// The one window: every control, the game state, and the runtime services it calls.
// The hidden pools are plain model objects; only the visible controls ever get widgets.
class FrmMain {
  public:
    FrmMain(runtime::Services& services, runtime::Random& random);
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    Window Me;

    // In the window's design order.
    CommandButton ComStop;
    ListBox List7;
    CommandButton ComSayAgain;
    CommandButton ComStart;
    TextBox inputbox;
    ListBox List6;
    ListBox List5;
    ListBox List4;
    ListBox List3;
    ListBox List2;
    ListBox List1;
    Label Label2;
    Label Label1;

    GameState state;

    runtime::Services& services;
    ::runtime::Random& random;

    // Level k (1..6) always uses pool List k.
    ListBox& Pool(int level) { return const_cast<ListBox&>(std::as_const(*this).Pool(level)); }
    const ListBox& Pool(int level) const;
    // Every control, in design order.
    std::vector<Control*> Controls();

    // Whether a game is being played: the play layout, in which Stop stands where Start does.
    // Stop's changes tell when it changes.
    bool Playing() const { return ComStop.Visible(); }
};

}  // namespace app
