// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Whole sequences of play on the model: the exact order of phrases, DoEvents, log lines and
// layout changes.
#include "support/Recorders.h"

#include <gtest/gtest.h>

using namespace testsupport;
using namespace Qt::StringLiterals;

namespace {

QStringList words(const QString& prefix, int n) {
    QStringList out;
    for (int i = 0; i < n; ++i) out << prefix + QString(QChar(u'a' + i));
    return out;
}

void fillAll(RecordedForm& g) {
    const QStringList prefixes = {"ca", "doga", "sunset", "elephan", "basketbal", "responsibilit"};
    for (int level = 1; level <= 6; ++level) g.fillPool(level, words(prefixes[level - 1], 12));
}

void expectPlayLayout(const app::FrmMain& f) {
    EXPECT_EQ(f.Me.Height(), app::PlayHeight);
    EXPECT_TRUE(f.inputbox.Enabled());
    EXPECT_FALSE(f.Label1.Enabled());
    EXPECT_FALSE(f.ComStart.Visible());
    EXPECT_TRUE(f.ComStop.Visible());
    EXPECT_TRUE(f.ComSayAgain.Visible());
}

void expectResultsLayout(const app::FrmMain& f) {
    EXPECT_EQ(f.Me.Height(), app::ResultsHeight);
    EXPECT_FALSE(f.inputbox.Enabled());
    EXPECT_TRUE(f.Label1.Enabled());
    EXPECT_EQ(f.Label1.Caption(), "Level 1");
    EXPECT_TRUE(f.ComStart.Visible());
    EXPECT_FALSE(f.ComStop.Visible());
    EXPECT_FALSE(f.ComSayAgain.Visible());
    EXPECT_TRUE(f.List7.Visible());
}

}  // namespace

TEST(Start, AtLevel3DrawsFromItsPoolAndSpeaksTheFirstWord) {
    RecordedForm g;
    fillAll(g);
    g.form.Label1.setCaption("Level 3");
    g.form.inputbox.setText("left over");
    g.commands.ComStart_Click();
    expectPlayLayout(g.form);
    const QString first = g.form.state.LevelWords(0);
    EXPECT_TRUE(first.startsWith("sunset"));
    EXPECT_EQ(g.form.List3.List(0), first);
    // The layout is drawn before speech starts.
    EXPECT_EQ(g.journal.entries, QStringList({"doevents", speak("Spell Word " + first)}));
    EXPECT_EQ(g.form.inputbox.Text(), "left over");  // Start does not clear the box
}

TEST(Start, WithAnEmptyPoolSpeaksThePromptAloneAndAnEmptyAnswerIsRight) {
    RecordedForm g;
    g.commands.ComStart_Click();
    EXPECT_EQ(g.journal.spoken(), QStringList({speak("Spell Word ")}));
    g.enter();
    EXPECT_EQ(g.results(), QStringList({"    Correct"}));
}

TEST(CheckAnswer, SpeaksTheVerdictThenLogsClearsDrawsAndAsksTheNext) {
    RecordedForm g;
    fillAll(g);
    g.commands.ComStart_Click();
    const QString w0 = g.form.state.LevelWords(0), w1 = g.form.state.LevelWords(1),
                  w2 = g.form.state.LevelWords(2);
    g.journal.clear();
    g.answer(w0.toUpper());  // capitals become small letters
    g.enter();               // an empty box is wrong
    EXPECT_EQ(g.journal.entries,
              QStringList({speak(" correct "), "doevents", speak("Spell Word " + w1),
                           speak(" wrong "), "doevents", speak("Spell Word " + w2)}));
    EXPECT_EQ(g.results(), QStringList({w0 + "  " + w0 + "  Correct", w1 + "    Wrong"}));
    EXPECT_EQ(g.form.state.WordIndex, 2);
    EXPECT_EQ(g.form.state.CorrectCount, 1);
    EXPECT_EQ(g.form.state.AnsweredCount, 2);
    EXPECT_EQ(g.form.state.LoggedCorrectCount, g.form.state.CorrectCount);
    EXPECT_EQ(g.form.inputbox.Text(), "");
}

TEST(KeyFilter, AdmitsOnlySmallLettersAndBackspace) {
    RecordedForm g;
    g.type("ApPLe");
    EXPECT_EQ(g.form.inputbox.Text(), "apple");
    g.type("1 -'.!\t\x1b");
    EXPECT_EQ(g.form.inputbox.Text(), "apple");
    g.type("\b\b");
    EXPECT_EQ(g.form.inputbox.Text(), "app");
    g.type(u"éÄЖ"_s);
    EXPECT_EQ(g.form.inputbox.Text(), "app");
    EXPECT_TRUE(g.journal.entries.isEmpty());
}

TEST(CheckAnswer, EnterBeforeTheFirstStartIsJudgedAgainstEmptySlots) {
    RecordedForm g;
    g.enter();
    EXPECT_EQ(g.journal.entries,
              QStringList({speak(" correct "), "doevents", speak("Spell Word ")}));
    EXPECT_EQ(g.results(), QStringList({"    Correct"}));
    EXPECT_FALSE(g.form.List7.Visible());
}

TEST(NextLevel, TheTenthAnswerClimbsWithoutAPromptForASlot10) {
    RecordedForm g;
    fillAll(g);
    g.form.Label1.setCaption("Level 2");
    g.commands.ComStart_Click();
    for (int i = 0; i < 9; ++i) g.answer(g.form.state.LevelWords(i));
    g.journal.clear();
    g.answer("nope");
    const QString next = g.form.state.LevelWords(0);
    EXPECT_TRUE(next.startsWith("sunset"));
    EXPECT_EQ(g.form.Label1.Caption(), "Level 3");
    EXPECT_EQ(g.form.state.WordIndex, 0);
    EXPECT_EQ(g.journal.entries,
              QStringList({speak(" wrong "), "doevents", speak("Spell Word " + next)}));
    EXPECT_EQ(g.results().size(), 10);  // no summary line yet
    expectPlayLayout(g.form);
}

TEST(NextLevel, TheTenthAnswerAtLevel6EndsTheGame) {
    RecordedForm g;
    fillAll(g);
    g.form.Label1.setCaption("Level 6");
    g.commands.ComStart_Click();
    g.answerLevelCorrectly(3);
    expectResultsLayout(g.form);
    EXPECT_EQ(g.results().size(), 11);
    EXPECT_EQ(g.results().last(), "7 Correct Out Of 10");
    EXPECT_EQ(g.journal.spoken().last(), speak(" correct "));
}

TEST(NextLevel, APerfectGameFromLevel1EarnsThePraiseAnd59DoesNot) {
    for (int wrong : {0, 1}) {
        RecordedForm g;
        fillAll(g);
        g.commands.ComStart_Click();
        for (int level = 1; level <= 6; ++level) {
            ASSERT_EQ(g.form.Label1.Caption(), app::LevelCaption[std::size_t(level - 1)]);
            g.answerLevelCorrectly(level == 4 ? wrong : 0);
        }
        expectResultsLayout(g.form);
        EXPECT_EQ(g.results().size(), 61);
        const QString praise =
            speak(" You Are The Best Speller In The World The Best The Best The Best The Best ");
        if (wrong == 0) {
            EXPECT_EQ(g.results().last(), "60 Correct Out Of 60");
            EXPECT_EQ(g.journal.spoken().last(), praise);
        } else {
            EXPECT_EQ(g.results().last(), "59 Correct Out Of 60");
            EXPECT_FALSE(g.journal.spoken().contains(praise));
        }
    }
}

TEST(NextLevel, AGameStartedAboveLevel1CannotEarnThePraise) {
    RecordedForm g;
    fillAll(g);
    g.form.Label1.setCaption("Level 2");
    g.commands.ComStart_Click();
    for (int level = 2; level <= 6; ++level) g.answerLevelCorrectly();
    EXPECT_EQ(g.results().last(), "50 Correct Out Of 50");
    EXPECT_EQ(g.journal.spoken().last(), speak(" correct "));
}

TEST(Stop, MidLevelShowsTheAnswersSoFarAndTheSummary) {
    RecordedForm g;
    fillAll(g);
    g.form.Label1.setCaption("Level 4");
    g.commands.ComStart_Click();
    g.answer(g.form.state.LevelWords(0));
    g.answer("wrong");
    g.answer(g.form.state.LevelWords(2));
    g.journal.clear();
    g.form.ComStop.Click();
    expectResultsLayout(g.form);
    EXPECT_EQ(g.results().size(), 4);
    EXPECT_EQ(g.results().last(), "2 Correct Out Of 3");
    EXPECT_TRUE(g.journal.entries.isEmpty());  // Stop speaks nothing
}

TEST(Stop, BeforeAnyAnswerAndThenANewGameStartsClean) {
    RecordedForm g;
    fillAll(g);
    g.commands.ComStart_Click();
    g.form.ComStop.Click();
    EXPECT_EQ(g.results(), QStringList({"0 Correct Out Of 0"}));
    g.commands.ComStart_Click();
    EXPECT_TRUE(g.results().isEmpty());
    EXPECT_EQ(g.form.state.AnsweredCount, 0);
    EXPECT_TRUE(g.form.List7.Visible());  // out of view at play height, not hidden
    expectPlayLayout(g.form);
}
