// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/Commands.h"

#include "app/Controls.h"
#include "app/FrmMain.h"
#include "app/GameState.h"
#include "runtime/RuntimeError.h"
#include "runtime/Services.h"
#include "speech/Voice.h"
#include "wordstore/Loader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace commands {

using app::LevelCaption;

Commands::Commands(app::FrmMain& form) : f_(form), game_(form, [this] { FinishGame(); }) {
    f_.ComStart.onClick = [this] { ComStart_Click(); };
    f_.ComStop.onClick = [this] { ComStop_Click(); };
    f_.ComSayAgain.onClick = [this] { ComSayAgain_Click(); };
    f_.Label1.onClick = [this] { Label1_Click(); };
    f_.inputbox.onKeyPress = [this](int& key) { game_.inputbox_KeyPress(key); };
    f_.Me.onUnload = [this] { Form_Unload(); };
}

void Commands::Form_Load(const std::function<std::unique_ptr<speech::Voice>()>& createVoice,
                         const QString& wordFilePath) {
    f_.state.Voice = createVoice();
    const int error = wordstore::loadWords(f_, wordFilePath);
    if (error != 0 && error != ::runtime::Err::FileNotFound) {
        // The game starts quietly with what it could read, as it always has; whoever set it up
        // can still learn why the words are missing.
        f_.services.Note(QStringLiteral("could not read %1 (%2); the game has the words read "
                                        "before that")
                             .arg(wordFilePath, ::runtime::standardDescription(error)));
    }
    if (error == ::runtime::Err::FileNotFound) {
        f_.services.MsgBox(wordstore::missingFileMessage(), ::runtime::vbCritical, app::AppTitle);
        // The game cannot be played without words; ending with success would hide that.
        exitStatus_ = 1;
        f_.Me.Unload();
        return;
    }
    f_.Me.Show();
    f_.inputbox.SetFocus();
}

void Commands::ComStart_Click() {
    auto& s = f_.state;
    f_.ComSayAgain.setVisible(true);
    s.WordIndex = 0;
    s.AnsweredCount.reset();
    s.CorrectCount.reset();
    s.LoggedCorrectCount.reset();
    f_.inputbox.setEnabled(true);
    f_.Me.setHeight(app::PlayHeight);
    f_.inputbox.SetFocus();
    f_.Label1.setEnabled(false);
    f_.List7.Clear();
    f_.ComStop.setVisible(true);
    f_.ComStart.setVisible(false);
    f_.services.DoEvents();
    if (const int level = app::levelOf(f_.Label1.Caption())) game_.PickLevelWords(f_.Pool(level));
    speech::SpeakPrompt(*s.Voice, s.LevelWords(0));
}

void Commands::ComStop_Click() { FinishGame(); }

void Commands::FinishGame() {
    auto& s = f_.state;
    f_.inputbox.setEnabled(false);
    f_.List7.AddItem(game::summaryLine(s.CorrectCount, s.AnsweredCount));
    f_.ComSayAgain.setVisible(false);
    f_.Me.setHeight(app::ResultsHeight);
    f_.List7.setVisible(true);
    f_.Label1.setCaption(LevelCaption[0]);
    f_.Label1.setEnabled(true);
    f_.ComStop.setVisible(false);
    f_.ComStart.setVisible(true);
}

void Commands::ComSayAgain_Click() {
    auto& s = f_.state;
    s.Voice->Speak(s.LevelWords(s.WordIndex), 0);
    f_.inputbox.SetFocus();
}

void Commands::Label1_Click() {
    // Level 6 steps round to level 1; any other caption stays as it is.
    if (const int level = app::levelOf(f_.Label1.Caption())) {
        f_.Label1.setCaption(LevelCaption[std::size_t(level) % LevelCaption.size()]);
    }
}

void Commands::Form_Unload() {
    auto& me = f_.Me;
    auto& rt = f_.services;
    // From here on a statement that fails is skipped and the next one runs.
    auto attempt = [](auto&& statement) {
        try {
            statement();
        } catch (const ::runtime::RuntimeError&) {
        }
    };
    // Only to pace the drawing: the loop itself tests the top edge after every step.
    const double expectedSteps =
        std::max(1.0, std::floor(double(rt.ScreenWidth() - me.Top()) / 30) + 1);
    int step = 0;
    do {
        const float topBefore = me.Top();
        attempt([&] { me.setTop(me.Top() + 30); });
        attempt([&] { me.setLeft(me.Left() + 30); });
        attempt([&] { me.setWidth(me.Width() - 60); });
        attempt([&] { me.setHeight(me.Height() - 60); });
        ++step;
        rt.AnimationFrame(std::min(1.0, step / expectedSteps));
        // A window the platform will not move never reaches the edge; close it where it is.
        if (!(me.Top() > topBefore)) break;
    } while (!(me.Top() > rt.ScreenWidth()));
    rt.End(exitStatus_);
}

}  // namespace commands
