// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Say Again, the level selector, start-up and the closing animation on the model.
#include "support/Recorders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace testsupport;

TEST(SayAgain, SpeaksTheBareWordAndChangesNothing) {
    RecordedForm g;
    g.fillPool(1, {"cat", "dog", "sun", "hat", "run", "big", "red", "bus", "cup", "pen"});
    g.commands.ComStart_Click();
    g.answer(g.form.state.LevelWords(0));
    g.type("ab");
    g.journal.clear();
    const QStringList before = g.results();
    g.form.ComSayAgain.Click();
    EXPECT_EQ(g.journal.entries, QStringList({speak(g.form.state.LevelWords(1))}));
    EXPECT_EQ(g.form.state.WordIndex, 1);
    EXPECT_EQ(g.form.state.AnsweredCount, 1);
    EXPECT_EQ(g.results(), before);
    EXPECT_EQ(g.form.inputbox.Text(), "ab");
}

TEST(LevelSelector, StepsThroughTheSixLevelsInARing) {
    RecordedForm g;
    QStringList seen;
    for (int i = 0; i < 6; ++i) {
        g.form.Label1.Click();
        seen << g.form.Label1.Caption();
    }
    EXPECT_EQ(seen,
              QStringList({"Level 2", "Level 3", "Level 4", "Level 5", "Level 6", "Level 1"}));
    g.form.Label1.setCaption("Something else");
    g.form.Label1.Click();
    EXPECT_EQ(g.form.Label1.Caption(), "Something else");
}

TEST(LevelSelector, IsDeadDuringAGame) {
    RecordedForm g;
    g.commands.ComStart_Click();
    g.form.Label1.Click();
    EXPECT_EQ(g.form.Label1.Caption(), "Level 1");
}

TEST(FormLoad, ReadsTheWordFileAndShowsTheWindow) {
    TempDir dir;
    RecordedForm g;
    const QString path = dir.write("Words.txt", "cat\napple\n");
    g.commands.Form_Load([&] { return std::make_unique<RecordingVoice>(g.journal); }, path);
    EXPECT_TRUE(g.form.Me.Visible());
    EXPECT_EQ(g.form.List1.List(0), "cat");
    EXPECT_EQ(g.form.List2.List(0), "apple");
    EXPECT_TRUE(g.services.endStatuses.empty());
}

TEST(FormLoad, AMissingWordFileIsReportedAndEndsTheProgramWithFailure) {
    TempDir dir;
    RecordedForm g;
    g.commands.Form_Load([&] { return std::make_unique<RecordingVoice>(g.journal); },
                         dir.path("Words.txt"));
    ASSERT_FALSE(g.journal.entries.isEmpty());
    EXPECT_EQ(g.journal.entries.first(),
              "msgbox Can Not Find Database File Words.txt It's Missing or Corrupted|16|Orthovane");
    EXPECT_EQ(g.journal.entries.last(), "end 1");
    EXPECT_FALSE(g.form.Me.Visible());
}

TEST(FormLoad, AnUnreadableWordFileStartsQuietlyAndSaysWhyInOneLine) {
    TempDir dir;
    RecordedForm g;
    const QString folder = dir.path("");  // a folder, not a file
    g.commands.Form_Load([&] { return std::make_unique<RecordingVoice>(g.journal); }, folder);
    EXPECT_TRUE(g.form.Me.Visible());
    EXPECT_EQ(g.journal.entries,
              QStringList({"note could not read " + folder +
                           " (Path/File access error); the game has the words read before that"}));
}

TEST(FormUnload, StepCountFollowsTheTopEdgeAgainstTheScreenWidth) {
    for (float top : {0.0f, 1000.0f, 28799.0f, 28800.0f}) {
        RecordedForm g;
        g.form.Me.PlacedAt(3000, top);
        g.services.screenWidth = 28800;
        g.commands.Form_Unload();
        const auto expected = std::size_t(std::floor((28800 - top) / 30) + 1);
        EXPECT_EQ(g.services.frames.size(), expected) << top;
        EXPECT_EQ(g.services.endStatuses, std::vector<int>({0}));
        EXPECT_DOUBLE_EQ(g.services.frames.back(), 1.0);
    }
}

TEST(FormUnload, AWindowAlreadyPastTheScreenWidthMakesOneStep) {
    RecordedForm g;
    g.form.Me.PlacedAt(0, 40000);
    g.services.screenWidth = 28800;
    g.commands.Form_Unload();
    EXPECT_EQ(g.services.frames.size(), 1u);
    EXPECT_EQ(g.form.Me.Top(), 40030);
}

TEST(FormUnload, ShrinksAboutItsMiddleUntilTheSmallestSizeThenSlides) {
    RecordedForm g;
    g.form.Me.PlacedAt(1500, 1500);
    const float w0 = g.form.Me.Width(), h0 = g.form.Me.Height();
    g.services.duringFrame = [&] {
        if (g.services.frames.size() == 1) {
            EXPECT_EQ(g.form.Me.Width(), w0 - 60);
            EXPECT_EQ(g.form.Me.Height(), h0 - 60);
            EXPECT_EQ(g.form.Me.Left(), 1530);
        }
    };
    g.commands.Form_Unload();
    EXPECT_EQ(g.form.Me.Width(), w0 - 60 * std::floor((w0 - app::Window::MinWidth) / 60));
    EXPECT_GE(g.form.Me.Height(), app::Window::MinHeight);
    EXPECT_GT(g.form.Me.Top(), g.services.screenWidth);
}

TEST(FormUnload, AWindowThatRefusesToMoveStillEnds) {
    RecordedForm g;
    g.form.Me.setMinimized(true);
    g.commands.Form_Unload();
    EXPECT_EQ(g.services.frames.size(), 1u);
    EXPECT_EQ(g.services.endStatuses, std::vector<int>({0}));
}

TEST(FormUnload, DuringAGameWritesNoSummaryLine) {
    RecordedForm g;
    g.fillPool(1, {"cat"});
    g.commands.ComStart_Click();
    g.answer("cat");
    g.form.Me.Unload();
    EXPECT_EQ(g.results(), QStringList({"cat  cat  Correct"}));
    EXPECT_EQ(g.journal.entries.last(), "end 0");
}
