// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/Game.h"

#include <QString>
#include <functional>
#include <memory>

namespace app {
class FrmMain;
}
namespace speech {
class Voice;
}

namespace commands {

// The window's commands: start-up, Start and Stop, Say Again, the level label and closing.
// Constructing it connects the controls' events to their handlers.
class Commands {
  public:
    explicit Commands(app::FrmMain& form);

    // Start-up after the window model exists: the voice, the word file, then the window is shown.
    // A missing word file is reported and the window unloaded, which ends the program.
    void Form_Load(const std::function<std::unique_ptr<speech::Voice>()>& createVoice,
                   const QString& wordFilePath);

    void ComStart_Click();
    void ComStop_Click();
    void FinishGame();
    void ComSayAgain_Click();
    void Label1_Click();
    // Shrinks the window and slides it off the screen, then ends the program.
    void Form_Unload();

    game::Game& rules() { return game_; }

  private:
    app::FrmMain& f_;
    game::Game game_;
    int exitStatus_ = 0;
};

}  // namespace commands
