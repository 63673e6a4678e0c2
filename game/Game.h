// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

namespace app {
class FrmMain;
class ListBox;
}  // namespace app

namespace game {

// The rules of play on one window: the level word draw, the answer check and its key filter, the
// answer log and the level climb.
class Game {
  public:
    // `finishGame` is the closing sequence the climb runs after the last level.
    Game(app::FrmMain& form, std::function<void()> finishGame);

    // Shuffles the whole pool in place and takes its first ten words as the level's words.
    void PickLevelWords(app::ListBox& pool);
    // Admits a..z (either case, stored small) and Backspace; Enter checks the answer.
    void inputbox_KeyPress(int& keyAscii);
    void CheckAnswer();
    void LogAnswer();
    void NextLevel();

  private:
    app::FrmMain& f_;
    std::function<void()> finishGame_;
};

QString answerLine(const QString& expected, const QString& entry, bool correct);
QString summaryLine(int correct, int answered);

}  // namespace game
