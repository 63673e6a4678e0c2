// The real voice in the real window: while a phrase is heard the window takes no input, and what
// the player types or clicks meanwhile is handled afterwards, in order, with nothing lost.
#include "platform/EntryBox.h"
#include "platform/ErrorReport.h"
#include "platform/EventLoopWaiter.h"
#include "platform/FormView.h"
#include "platform/QtRuntime.h"
#include "speech/FliteSynth.h"
#include "speech/PulseOutput.h"
#include "speech/SpeechVoice.h"
#include "support/Recorders.h"
#include "support/SoundCapture.h"

#include <QtGui/qpa/qwindowsysteminterface.h>
#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

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
    Journal journal;
    std::vector<int> ends;
    platform::QtRuntime runtime{[this](int s) { ends.push_back(s); }};
    app::MixingRandom random{3};
    app::FrmMain form{runtime, random};
    commands::Commands commands{form};
    platform::FormView view{form, runtime};
    speech::FliteSynth synth;
    speech::PulseOutput out;
    platform::EventLoopWaiter waiter{runtime.gate()};
    speech::SpeechVoice voice{synth, out, waiter};

    SpeakingWindow() {
        EXPECT_FALSE(testSoundServer().isEmpty());
        EXPECT_TRUE(out.open(16000));
        form.state.Voice = std::make_unique<JournalingVoice>(voice, journal);
        form.Me.Show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
    }
};

}  // namespace

TEST(GuiSpeech, InputDuringAPhraseWaitsAndIsHandledInOrder) {
    SpeakingWindow w;
    auto& [journal, ends, runtime, random, form, commands, view, synth, out, waiter, voice] = w;
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
    QTRY_COMPARE_WITH_TIMEOUT(journal.entries.size(), 8, 15000);
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
    auto& [journal, ends, runtime, random, form, commands, view, synth, out, waiter, voice] = w;

    const double praiseSeconds = synth.synthesize(speech::Phrase::Praise).seconds();
    QTimer::singleShot(300, [&] {
        QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            view.windowHandle());
    });
    QElapsedTimer t;
    t.start();
    platform::RunGuarded(runtime, [&] { voice.Speak(speech::Phrase::Praise, 0); });
    EXPECT_EQ(ends, std::vector<int>({0}));
    // The closing animation ran, and the phrase did not play on to its end.
    EXPECT_LT(t.elapsed() / 1000.0, praiseSeconds);
    EXPECT_GT(praiseSeconds, 3.0);
}
