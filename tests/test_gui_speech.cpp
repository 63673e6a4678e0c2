// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The real voice in the real window: while a phrase is heard the window takes no input, and what
// the player types or clicks meanwhile is handled afterwards, in order, with nothing lost.
#include "platform/EntryBox.h"
#include "platform/ErrorReport.h"
#include "platform/EventLoopWaiter.h"
#include "speech/FliteSynth.h"
#include "speech/PulseOutput.h"
#include "speech/SpeechVoice.h"
#include "support/Recorders.h"
#include "support/ShownWindow.h"
#include "support/SoundCapture.h"

#include <QtGui/qpa/qwindowsysteminterface.h>
#include <gtest/gtest.h>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QtTest/QTest>
#include <atomic>

using namespace testsupport;

namespace {

// Notes each phrase as it starts and as it ends, around the real voice.
class JournalingVoice final : public speech::Voice {
  public:
    JournalingVoice(speech::Voice& inner, Journal& journal) : inner_(inner), journal_(journal) {}
    int Speak(const QString& text, int flags) override {
        journal_.add(QStringLiteral("begin ") + text);
        const int n = inner_.Speak(text, flags);
        journal_.add(QStringLiteral("end ") + text);
        return n;
    }

  private:
    speech::Voice& inner_;
    Journal& journal_;
};

// Notes whether the last phrase played was asked to stop before its end.
class CutWatch final : public speech::AudioOutput {
  public:
    explicit CutWatch(speech::AudioOutput& inner) : inner_(inner) {}
    void play(const speech::Pcm& pcm, std::stop_token stop) override {
        inner_.play(pcm, stop);
        cutShort = stop.stop_requested();
    }
    std::atomic<bool> cutShort{false};

  private:
    speech::AudioOutput& inner_;
};

// Input as the window system delivers it: queued, not dispatched on the spot.
void queueKey(QWindow* w, int key, const QString& text) {
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        w, QEvent::KeyPress, key, Qt::NoModifier, text);
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        w, QEvent::KeyRelease, key, Qt::NoModifier, text);
}

void queueClick(QWindow* w, QPoint at) {
    using WSI = QWindowSystemInterface;
    WSI::handleMouseEvent<WSI::AsynchronousDelivery>(w, at, w->mapToGlobal(at), Qt::LeftButton,
                                                     Qt::LeftButton, QEvent::MouseButtonPress);
    WSI::handleMouseEvent<WSI::AsynchronousDelivery>(w, at, w->mapToGlobal(at), Qt::NoButton,
                                                     Qt::LeftButton, QEvent::MouseButtonRelease);
}

// A real window with the real voice, playing into the test run's sound server.
struct SpeakingWindow {
    ShownWindow window{3};
    Journal journal;
    speech::FliteSynth synth;
    speech::PulseOutput out;
    CutWatch watch{out};
    platform::EventLoopWaiter waiter{window.services.gate()};
    speech::SpeechVoice voice{synth, watch, waiter};

    SpeakingWindow() {
        EXPECT_FALSE(testSoundServer().isEmpty());
        EXPECT_TRUE(out.open(16000));
        window.form.state.Voice = std::make_unique<JournalingVoice>(voice, journal);
        window.form.Me.Show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window.view));
    }

    // As a handler of the window says it.
    void speakAtTheEventBoundary(const QString& text) {
        platform::runGuarded(window.services, [&] { voice.Speak(text, 0); });
    }
};

}  // namespace

TEST(GuiSpeech, InputDuringAPhraseWaitsAndIsHandledInOrder) {
    SpeakingWindow w;
    auto& form = w.window.form;
    auto& view = w.window.view;
    auto& ends = w.window.ends;
    auto& journal = w.journal;
    for (const char* word : {"cat", "dog", "sun"}) form.List1.AddItem(QString::fromLatin1(word));
    QWindow* window = view.windowHandle();

    bool checkedDuringPhrase = false;
    QTimer::singleShot(200, [&] {
        // Mid-phrase: the player answers and asks for the word again.
        for (QChar c : QStringLiteral("xy")) queueKey(window, Qt::Key_X + (c.unicode() - 'x'), c);
        queueKey(window, Qt::Key_Return, QStringLiteral("\r"));
        queueClick(window, view.sayAgainButton()->geometry().center());
        QTimer::singleShot(200, [&] {
            // Still speaking: the window repaints but nothing typed has been taken yet.
            checkedDuringPhrase = true;
            EXPECT_EQ(journal.entries.size(), 1);
            EXPECT_EQ(view.entry()->text(), "");
        });
    });
    QTest::mouseClick(view.startButton(), Qt::LeftButton);
    const QString first = form.state.LevelWords(0);
    const QString second = form.state.LevelWords(1);
    // The click on Start returns when the first prompt has been heard; the queued input follows.
    ASSERT_TRUE(QTest::qWaitFor([&] { return journal.entries.size() >= 8; }, 15000));
    EXPECT_TRUE(checkedDuringPhrase);
    EXPECT_EQ(journal.entries,
              QStringList({"begin Spell Word " + first, "end Spell Word " + first, "begin  wrong ",
                           "end  wrong ", "begin Spell Word " + second, "end Spell Word " + second,
                           "begin " + second, "end " + second}));
    EXPECT_EQ(form.List7.List(0), first + "  xy  Wrong");
    EXPECT_TRUE(ends.empty());
}

TEST(GuiSpeech, ACloseRequestCutsALongPhraseShortAndEnds) {
    SpeakingWindow w;
    auto& view = w.window.view;

    QTimer::singleShot(300, [&] {
        QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            view.windowHandle());
    });
    w.speakAtTheEventBoundary(speech::Phrase::Praise);
    EXPECT_EQ(w.window.ends, std::vector<int>({0}));
    // The closing animation ran, and the phrase was stopped, not played on to its end.
    EXPECT_TRUE(w.watch.cutShort);
}

TEST(GuiSpeech, OtherWindowsClosingLeaveThePhraseAlone) {
    SpeakingWindow w;
    auto& view = w.window.view;
    // A tooltip, and a message box of the game's own, come and go in the middle of a phrase.
    QTimer::singleShot(200, [&] {
        QToolTip::showText(view.mapToGlobal(QPoint(5, 5)), QStringLiteral("notice"), &view);
        QTimer::singleShot(100, [] { QToolTip::hideText(); });
        auto* box =
            new QMessageBox(QMessageBox::Information, "Orthovane", "x", QMessageBox::Ok, &view);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
        QTimer::singleShot(100, box, [box] {
            QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                box->windowHandle());
        });
    });
    w.speakAtTheEventBoundary(QStringLiteral("Spell Word elephant"));
    EXPECT_FALSE(w.watch.cutShort);
    EXPECT_TRUE(w.window.ends.empty());
}

TEST(GuiSpeech, ClicksRepeatedDuringAPhraseCountOnceAndStopWaitsForNoRepeats) {
    SpeakingWindow w;
    auto& form = w.window.form;
    auto& view = w.window.view;
    form.List1.AddItem(QStringLiteral("cat"));
    QWindow* window = view.windowHandle();
    QTimer::singleShot(200, [&] {
        // A child mashing Say Again while the word is said, then Stop.
        for (int i = 0; i < 20; ++i) queueClick(window, view.sayAgainButton()->geometry().center());
        queueKey(window, Qt::Key_X, QStringLiteral("x"));
        queueClick(window, view.stopButton()->geometry().center());
    });
    QTest::mouseClick(view.startButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.List7.ListCount() == 1; }, 15000))
        << w.journal.entries.join(u'|').toStdString();
    EXPECT_EQ(w.journal.entries,
              QStringList({"begin Spell Word cat", "end Spell Word cat", "begin cat", "end cat"}));
    EXPECT_EQ(form.List7.List(0), "0 Correct Out Of 0");
    EXPECT_EQ(form.inputbox.Text(), "x") << "typed keys are all kept";
}
