// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Thousands of random clicks, keys, pastes and close requests against the real widgets, seeded so
// any failure can be replayed; the game's invariants are checked after every one.
#include "platform/ClickLabel.h"
#include "platform/EntryBox.h"
#include "support/Recorders.h"
#include "support/ShownWindow.h"
#include "wordstore/Loader.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QtTest/QTest>
#include <random>

using namespace testsupport;
using namespace Qt::StringLiterals;

namespace {

void checkInvariants(const app::FrmMain& f, const platform::FormView& view, int step) {
    SCOPED_TRACE(step);
    ASSERT_NE(f.ComStart.Visible(), f.ComStop.Visible());
    ASSERT_NE(view.startButton()->isVisibleTo(&view), view.stopButton()->isVisibleTo(&view));
    ASSERT_EQ(f.state.LoggedCorrectCount.value(), f.state.CorrectCount.value());
    ASSERT_GE(f.state.WordIndex, 0);
    ASSERT_LE(f.state.WordIndex, 9);
    ASSERT_LE(f.List7.ListCount(), 61);
    ASSERT_EQ(view.results()->count(), f.List7.ListCount());
    for (QChar c : view.entry()->text()) ASSERT_TRUE(c >= u'a' && c <= u'z') << step;
    ASSERT_EQ(view.entry()->text(), f.inputbox.Text());
}

}  // namespace

TEST(Monkey, RandomPlayKeepsEveryInvariant) {
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        Journal journal;
        ShownWindow w(seed);
        auto& form = w.form;
        auto& view = w.view;
        auto& ends = w.ends;
        form.state.Voice = std::make_unique<RecordingVoice>(journal);
        const QStringList words = {"cat",           "dog",        "sun",        "apple",
                                   "house",         "garden",     "window",     "elephant",
                                   "computer",      "basketball", "strawberry", "responsibility",
                                   "transportation"};
        for (const auto& word : words) {
            for (int i = 0; i < 4; ++i) form.Pool(wordstore::poolFor(word.size())).AddItem(word);
        }
        form.Me.Show();
        std::mt19937 gen(seed);
        const QString keys = u"abcxyzABC 1-'.\u00e9\u0416"_s;
        for (int step = 0; step < 3000; ++step) {
            switch (gen() % 10) {
                case 0:
                    QTest::mouseClick(view.startButton(), Qt::LeftButton);
                    break;
                case 1:
                    QTest::mouseClick(view.stopButton(), Qt::LeftButton);
                    break;
                case 2:
                    QTest::mouseClick(view.sayAgainButton(), Qt::LeftButton);
                    break;
                case 3:
                    QTest::mouseClick(view.label1(), Qt::LeftButton);
                    break;
                case 4:
                    QTest::keyClick(view.entry(), Qt::Key_Return);
                    break;
                case 5:
                    QTest::keyClick(view.entry(), Qt::Key_Backspace);
                    break;
                case 6:
                    QGuiApplication::clipboard()->setText(u"Pasted 42 W\u00f6rd\n\r"_s);
                    QTest::keySequence(view.entry(), QKeySequence::Paste);
                    break;
                case 7:
                    if (gen() % 50 == 0) view.close();  // the end hook keeps the test running
                    break;
                case 8: {
                    // Now and then the right answer, so levels are climbed too.
                    const QString word = form.state.LevelWords(form.state.WordIndex);
                    QTest::keyClicks(view.entry(), word);
                    QTest::keyClick(view.entry(), Qt::Key_Return);
                    break;
                }
                default: {
                    // A typed character as the platform delivers it, accented or not.
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                                    QString(keys[int(gen() % keys.size())]));
                    QApplication::sendEvent(view.entry(), &press);
                    break;
                }
            }
            checkInvariants(form, view, step);
            if (HasFatalFailure()) return;
        }
        for (int s : ends) EXPECT_EQ(s, 0);
    }
}
