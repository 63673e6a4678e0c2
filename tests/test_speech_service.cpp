// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's speech service beside a screen reader: a real speech-dispatcher of the test's own,
// playing into this binary's sink, spoken to, killed and frozen.
#include "speech/DispatcherClient.h"
#include "speech/RoutedVoice.h"
#include "speech/Voice.h"
#include "support/Recorders.h"
#include "support/SoundCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <thread>

using namespace testsupport;
using Clock = std::chrono::steady_clock;

namespace {

// A speech service of the test's own, as a screen reader would have started it: its runtime
// folder is private, so a developer's own screen reader is never touched. It plays into this
// binary's sink.
class PrivateSpeechService {
  public:
    // `brokenDefault`: the desktop's chosen speech module runs this command for every message
    // instead of a voice, and nothing sounds.
    explicit PrivateSpeechService(const char* brokenDefault = nullptr) {
        const QByteArray folder = dir_.path("run").toLocal8Bit();
        EXPECT_EQ(::mkdir(folder.constData(), 0700), 0);
        ::setenv("XDG_RUNTIME_DIR", folder.constData(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        if (brokenDefault) {
            QDir().mkpath(dir_.path("config/speech-dispatcher/modules"));
            write("config/speech-dispatcher/speechd.conf",
                  "AddModule \"broken\" \"sd_generic\" \"broken.conf\"\n"
                  "DefaultModule \"broken\"\n");
            write("config/speech-dispatcher/modules/broken.conf",
                  QByteArray("GenericExecuteSynth \"") + brokenDefault +
                      "\"\nAddVoice \"en\" \"male1\" \"none\"\n"
                      "GenericLanguage \"en\" \"english\" \"utf-8\"\n");
            ::setenv("XDG_CONFIG_HOME", dir_.path("config").toLocal8Bit().constData(), 1);
        }
        EXPECT_EQ(std::system("speech-dispatcher --spawn 2>/dev/null"), 0);
        const auto until = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < until &&
               (processes().isEmpty() ||
                !QFile::exists(dir_.path("run/speech-dispatcher/speechd.sock")))) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(processes().isEmpty()) << "no service runs";
    }
    ~PrivateSpeechService() {
        signal(SIGCONT);
        signal(SIGKILL);
    }
    void signal(int signum) const {
        for (const pid_t pid : processes()) ::kill(pid, signum);
    }

  private:
    void write(const char* path, const char* text) const {
        QFile f(dir_.path(path));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    // The service's processes, found by the runtime folder they were started with: its pid file
    // cannot be trusted, since on a busy machine the spawner returns before the service it forked
    // has written it, and the file may name a process already gone.
    QList<pid_t> processes() const {
        const QByteArray mine = "XDG_RUNTIME_DIR=" + dir_.path("run").toLocal8Bit();
        QList<pid_t> found;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            const pid_t pid = entry.toInt();
            QFile comm(QStringLiteral("/proc/%1/comm").arg(entry));
            QFile environ(QStringLiteral("/proc/%1/environ").arg(entry));
            if (pid <= 0 || !comm.open(QIODevice::ReadOnly) || !environ.open(QIODevice::ReadOnly))
                continue;
            if (comm.readAll().trimmed() == "speech-dispatch" &&
                environ.readAll().split('\0').contains(mine))
                found.append(pid);
        }
        return found;
    }

    TempDir dir_;
};

// The game beside a screen reader: its phrases go to the speech service, and what falls to its
// own voice is journalled.
struct BesideAScreenReader {
    speech::Waiter direct;
    Journal journal;
    RecordingVoice own{journal};
    speech::DispatcherClient service{direct};
    speech::RoutedVoice voice{own, service, [] { return true; }};
};

}  // namespace

TEST(RoutedVoice, BesideAScreenReaderTheServiceSpeaksAndSpeakReturnsOnceHeard) {
    ASSERT_FALSE(testSoundServer().isEmpty());
    PrivateSpeechService running;
    speech::Waiter direct;
    Journal journal;
    RecordingVoice own(journal);
    bool screenReader = true;
    speech::DispatcherClient service(direct);
    speech::RoutedVoice voice(own, service, [&] { return screenReader; });
    SoundCapture capture;
    voice.Speak("Spell Word elephant", 0);
    const auto heard = capture.stop();
    EXPECT_EQ(journal.spoken().size(), 0) << "said by the game's own voice, not the service";
    // Heard whole before Speak returned: one stretch of sound, as long as a phrase, with
    // silence after it.
    const auto spans = soundSpans(heard, SoundCapture::Rate / 2);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_GT(spans[0].end - spans[0].begin, std::size_t(SoundCapture::Rate / 2));
    EXPECT_GT(heard.size() - spans[0].end, std::size_t(SoundCapture::Rate / 20));

    screenReader = false;
    voice.Speak(" correct ", 0);
    EXPECT_EQ(journal.spoken().size(), 1) << "with no screen reader the game's own voice speaks";
}

TEST(RoutedVoice, AServiceThatIsGoneDiesOrFreezesLeavesThePhraseToTheGamesOwnVoice) {
    // Far sooner than a phrase's patience: the service is seen gone, not waited out.
    const auto soon = std::chrono::seconds(5);
    speech::Waiter direct;
    Journal journal;
    RecordingVoice own(journal);
    {
        SCOPED_TRACE("no service");
        TempDir empty;
        ::setenv("XDG_RUNTIME_DIR", empty.path("").toLocal8Bit().constData(), 1);
        speech::DispatcherClient service(direct);
        speech::RoutedVoice voice(own, service, [] { return true; });
        voice.Speak(" correct ", 0);
        voice.Speak(" wrong ", 0);
        EXPECT_EQ(journal.spoken(), QStringList({speak(" correct "), speak(" wrong ")}));
    }
    for (const int signum : {SIGKILL, SIGSTOP}) {
        SCOPED_TRACE(signum == SIGKILL ? "killed mid-phrase" : "frozen mid-phrase");
        journal.clear();
        PrivateSpeechService running;
        speech::DispatcherClient service(direct);
        speech::RoutedVoice voice(own, service, [] { return true; });
        voice.Speak(" correct ", 0);
        ASSERT_TRUE(journal.spoken().isEmpty()) << "the service spoke at first";
        std::thread fault([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            running.signal(signum);
        });
        const auto began = Clock::now();
        voice.Speak(speech::Phrase::Praise, 0);
        fault.join();
        EXPECT_LT(Clock::now() - began, soon);
        EXPECT_EQ(journal.spoken(), QStringList({speak(speech::Phrase::Praise)}));
        if (signum == SIGSTOP) {
            // The game's own voice took the phrase over: when the service wakes, it says nothing
            // more of it (the 20 ms or so it had already handed its sound server may sound).
            SoundCapture capture;
            running.signal(SIGCONT);
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            std::size_t heard = 0;
            for (const auto& span : soundSpans(capture.stop(), SoundCapture::Rate / 10))
                heard += span.end - span.begin;
            EXPECT_LT(heard, std::size_t(SoundCapture::Rate / 10))
                << "the service went on with the phrase once thawed";
            running.signal(SIGSTOP);
        }
        voice.Speak(" wrong ", 0);
        EXPECT_EQ(journal.spoken().size(), 2) << "the next phrase in the game's own voice too";
        if (signum == SIGKILL) {
            // A service started again is spoken through from the next phrase on.
            PrivateSpeechService again;
            voice.Speak(" correct ", 0);
            EXPECT_EQ(journal.spoken().size(), 2) << "the new service was not used";
        }
    }
}

TEST(RoutedVoice, APhraseWaitsBehindAnotherProgramsImportantMessage) {
    PrivateSpeechService running;
    BesideAScreenReader game;
    const auto announce = [] {
        return std::system(
            "spd-say -P important 'The battery is low, save your work now' >/dev/null 2>&1 &");
    };
    // How long the announcement sounds alone, from its first audible sample to its last; its
    // pauses between words and sentences differ with the release's voice, so no count of
    // stretches of sound can tell the verdict from them.
    const auto sounding = [](const std::vector<std::int16_t>& s) {
        return std::int64_t(lastAudible(s)) - std::int64_t(firstAudible(s));
    };
    std::int64_t alone = 0;
    {
        SoundCapture capture;
        ASSERT_EQ(announce(), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return capture.heardSound(); }, 10000));
        std::this_thread::sleep_for(std::chrono::seconds(4));
        alone = sounding(capture.stop());
    }
    SoundCapture capture;
    ASSERT_EQ(announce(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.heardSound(); }, 10000))
        << "the announcement was not heard";
    game.voice.Speak(" correct ", 0);
    EXPECT_TRUE(game.journal.spoken().isEmpty())
        << "the game's own voice spoke over the announcement";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // Spoken over the announcement or lost, the verdict would end with it; after it, it adds
    // its own length (well over a quarter of a second).
    EXPECT_GT(sounding(capture.stop()), alone + SoundCapture::Rate / 4)
        << "the verdict was not heard after the announcement";
}

TEST(RoutedVoice, AServiceWhoseVoiceMakesNoSoundWasNotHeard) {
    // The desktop's chosen module ends every message the moment it begins (speech-dispatcher
    // 0.11), or takes its time, or never ends it (0.12), and nothing sounds.
    for (const char* broken : {"true", "sleep 2"}) {
        PrivateSpeechService running(broken);
        BesideAScreenReader game;
        game.voice.Speak(" correct ", 0);
        game.voice.Speak("Spell Word cat", 0);
        EXPECT_EQ(game.journal.spoken(), QStringList({speak(" correct "), speak("Spell Word cat")}))
            << "with a module that runs " << broken;
    }
}
