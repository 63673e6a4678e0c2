// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Game.h"

#include "app/Controls.h"
#include "app/FrmMain.h"
#include "app/GameState.h"
#include "app/StringList.h"
#include "game/DrawBag.h"
#include "runtime/Random.h"
#include "runtime/Services.h"
#include "speech/Voice.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace game {

using speech::SpeakPrompt;

Game::Game(app::FrmMain& form, std::function<void()> finishGame)
    : f_(form), finishGame_(std::move(finishGame)) {}

void Game::PickLevelWords(app::ListBox& pool) {
    // Every word is taken out at a random position and added back at the end, so the pool ends up
    // in the order the words were taken. Only that order is worked out; the words never move.
    app::StringList words = pool.TakeItems();
    DrawBag bag(std::size_t(words.size()));
    std::vector<std::uint32_t> taken;
    taken.reserve(bag.Count());
    while (bag.Count() > 0) {
        f_.random.Randomize(f_.services.Timer());
        const float r = f_.random.Rnd();
        taken.push_back(bag.Take(std::size_t(std::floor(double(r) * double(bag.Count()) + 1))));
    }
    words.reorder(taken);
    pool.PutItems(std::move(words));
    for (int i = 0; i < app::WordsPerLevel; ++i) f_.state.LevelWords(i) = pool.List(i);
}

void Game::inputbox_KeyPress(int& keyAscii) {
    keyAscii = QChar::toLower(char32_t(keyAscii));
    if (keyAscii == app::vbKeyBack) return;
    if (keyAscii == app::vbKeyReturn) CheckAnswer();
    if (keyAscii < u'a') keyAscii = 0;
    if (keyAscii > u'z') keyAscii = 0;
}

void Game::CheckAnswer() {
    auto& s = f_.state;
    const int k = s.WordIndex;
    if (k < 0 || k >= app::WordsPerLevel) return;
    const bool correct = f_.inputbox.Text() == s.LevelWords(k);
    if (correct) {
        s.Voice->Speak(speech::Phrase::Correct, 0);
        s.CorrectCount.increment();
    } else {
        s.Voice->Speak(speech::Phrase::Wrong, 0);
    }
    LogAnswer();
    f_.inputbox.setText(QString());
    f_.services.DoEvents();
    if (k < app::WordsPerLevel - 1) {
        s.WordIndex = std::int16_t(k + 1);
        SpeakPrompt(*s.Voice, s.LevelWords(k + 1));
    } else {
        NextLevel();
    }
}

void Game::LogAnswer() {
    auto& s = f_.state;
    const int p = s.LoggedCorrectCount;
    s.AnsweredCount.increment();
    const QString& expected = s.LevelWords(s.WordIndex);
    if (s.CorrectCount == p + 1) {
        f_.List7.AddItem(answerLine(expected, f_.inputbox.Text(), true));
        s.LoggedCorrectCount.increment();
    } else {
        f_.List7.AddItem(answerLine(expected, f_.inputbox.Text(), false));
    }
}

void Game::NextLevel() {
    auto& s = f_.state;
    const int level = app::levelOf(f_.Label1.Caption());
    if (level >= 1 && level < app::LevelCount) {
        f_.Label1.setCaption(app::LevelCaption[std::size_t(level)]);
        PickLevelWords(f_.Pool(level + 1));
        s.WordIndex = 0;
        SpeakPrompt(*s.Voice, s.LevelWords(0));
        return;
    }
    if (level == app::LevelCount && s.WordIndex == app::WordsPerLevel - 1) finishGame_();
    if (s.CorrectCount == app::PerfectScore) s.Voice->Speak(speech::Phrase::Praise, 0);
}

QString answerLine(const QString& expected, const QString& entry, bool correct) {
    return expected + QStringLiteral("  ") + entry + QStringLiteral("  ") +
           (correct ? QStringLiteral("Correct") : QStringLiteral("Wrong"));
}

QString summaryLine(int correct, int answered) {
    return QString::number(correct) + QStringLiteral(" Correct Out Of ") +
           QString::number(answered);
}

}  // namespace game
