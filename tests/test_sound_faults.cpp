// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Sound server faults: for real, with the test's own PulseAudio server killed in the middle of a
// phrase and started again, or not; and forced, through a client library that fails where it is
// told.
#include "speech/FliteSynth.h"
#include "speech/PulseLibrary.h"
#include "speech/PulseOutput.h"
#include "speech/Voice.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QStringList>
#include <chrono>
#include <functional>
#include <set>
#include <thread>

using namespace testsupport;

namespace {

// The test's own sound server (tests/support/sound-server), to kill and start again.
class PrivateServer {
  public:
    explicit PrivateServer(const TempDir& dir) : dir_(dir.path("pulse")) {}
    ~PrivateServer() { stop(); }

    QString address() const { return QStringLiteral("unix:") + dir_ + QStringLiteral("/native"); }
    // Suspends its sink, as pasuspender or a laptop's power management do, or lets it play again.
    void suspend(bool on) const {
        QProcess::execute(QStringLiteral("pactl"),
                          {QStringLiteral("--server"), address(), QStringLiteral("suspend-sink"),
                           QStringLiteral("faults"), on ? "1" : "0"});
    }

    void start() {
        server_.setProgram(QStringLiteral(ORTHOVANE_SOUND_SERVER));
        server_.setArguments({dir_, QStringLiteral("faults")});
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start();
        ASSERT_TRUE(server_.waitForStarted());
        ASSERT_EQ(QProcess::execute(QStringLiteral(ORTHOVANE_SOUND_SERVER), {"--wait", dir_}), 0)
            << "the private sound server did not start";
    }

    void kill() {
        server_.kill();
        server_.waitForFinished();
    }
    void stop() {
        if (server_.state() != QProcess::NotRunning) kill();
    }

  private:
    QString dir_;
    QProcess server_;
};

// The test's own server running, an output connected to it, and every silence it reports.
class Served : public ::testing::Test {
  protected:
    void SetUp() override {
        server.start();
        out.onSilence([this](const QString& why) { silences << why; });
        ASSERT_TRUE(out.open(16000));
    }

    // Plays the phrase while `fault` is staged on a thread of its own; the seconds it took.
    double playThrough(const std::function<void()>& fault) {
        std::thread staging(fault);
        const auto began = std::chrono::steady_clock::now();
        out.play(phrase);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
        staging.join();
        return took.count();
    }
    static void after(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    TempDir dir;
    PrivateServer server{dir};
    speech::FliteSynth synth;
    // Two seconds long: the faults strike half a second in.
    const speech::Pcm phrase = synth.synthesize("Spell Word responsibility");
    speech::PulseOutput out{server.address()};
    QStringList silences;
};

}  // namespace

TEST_F(Served, AServerRestartedMidPhraseIsWaitedForAndThePhraseSaidAgainWhole) {
    for (const int awayMs : {130, 1000}) {
        SCOPED_TRACE(awayMs);
        const double took = playThrough([&] {
            after(500);
            server.kill();
            after(awayMs);
            server.start();
        });
        EXPECT_TRUE(out.connected());
        // Said again from its start once the server was back, not from where it was cut.
        EXPECT_GE(took, 0.5 + awayMs / 1000.0 + phrase.seconds() - 0.1);
    }
    EXPECT_TRUE(silences.isEmpty()) << silences.join(u'|').toStdString();
    // Restarted twice, 0.6 s apart: the wait starts again at the second loss, and the phrase is
    // said whole once the server is back for good.
    const double took = playThrough([&] {
        after(500);
        server.kill();
        server.start();
        after(600);
        server.kill();
        after(100);
        server.start();
    });
    EXPECT_TRUE(out.connected());
    EXPECT_GE(took, 1.2 + phrase.seconds() - 0.1);
    EXPECT_TRUE(silences.isEmpty()) << silences.join(u'|').toStdString();
}

TEST(SoundFaults, AServerGoneForGoodLeavesTheGameSilentUntilItIsBack) {
    TempDir dir;
    PrivateServer server(dir);
    server.start();
    speech::FliteSynth synth;
    speech::PulseOutput out(server.address());
    out.reconnectPatience = std::chrono::milliseconds(400);
    QStringList silences;
    out.onSilence([&](const QString& why) { silences << why; });
    ASSERT_TRUE(out.open(16000));
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        server.kill();
    });
    EXPECT_NO_THROW(out.play(synth.synthesize("Spell Word responsibility")));
    killer.join();
    EXPECT_FALSE(out.connected());
    out.play(synth.synthesize(" wrong "));  // at the phrase's pace, in silence
    EXPECT_EQ(silences.size(), 1) << "said once, however many phrases go unheard";
    server.start();
    out.play(synth.synthesize(" correct "));
    EXPECT_TRUE(out.connected());
    EXPECT_EQ(silences.size(), 1);
}

TEST_F(Served, ASuspendedDeviceHoldsAPhraseNoLongerThanItsLengthAndAMargin) {
    // Far sooner than the device comes back (never, here): the phrase is over after its own
    // length and the margin, and so is the next.
    const double bound = phrase.seconds() + 2 * out.stallMargin.count() / 1000.0 + 0.5;
    EXPECT_LT(playThrough([&] {
                  after(500);
                  server.suspend(true);
              }),
              bound);
    EXPECT_LT(playThrough([] {}), bound);
    EXPECT_EQ(silences.size(), 1) << "said once, however many phrases go unheard";
    server.suspend(false);
    out.play(synth.synthesize(" correct "));
    EXPECT_TRUE(out.connected()) << "heard again once the device plays";
}

TEST(SoundFaults, AServerRestartedBetweenPhrasesIsReconnectedTo) {
    TempDir dir;
    PrivateServer server(dir);
    server.start();
    speech::FliteSynth synth;
    speech::PulseOutput out(server.address());
    ASSERT_TRUE(out.open(16000));
    out.play(synth.synthesize(" correct "));
    server.kill();
    server.start();
    EXPECT_NO_THROW(out.play(synth.synthesize(" wrong ")));
    EXPECT_TRUE(out.connected());
}

TEST(SoundFaults, AServerThatAppearsLaterIsUsed) {
    TempDir dir;
    PrivateServer server(dir);
    speech::FliteSynth synth;
    speech::PulseOutput out(server.address());
    EXPECT_FALSE(out.open(16000));
    out.play(synth.synthesize(" correct "));  // silently, at the phrase's pace
    EXPECT_FALSE(out.connected());
    server.start();
    out.play(synth.synthesize(" wrong "));
    EXPECT_TRUE(out.connected());
}

namespace {

// A sound library that fails where a test says, counting the calls the server would get: the
// write, drain and reconnect paths without a server being killed.
struct Faults {
    int opens = 0;
    int refuseOpensFrom = 1 << 30;  // the n-th open (counting from 1) and every one after fail
    std::set<int> failingWrites, failingDrains;  // which calls fail, counting from 1
    int writes = 0, drains = 0;
    int drainMs = 0;  // how long a drain takes to be answered
    std::size_t bytesSinceOpen = 0;
    // Plays in real time from the first write, as a server does, but keeps the last `keptUs`
    // back until written to again, as PipeWire's does; 0: says nothing is left, at once.
    pa_usec_t keptUs = 0;
    std::chrono::steady_clock::time_point firstWrite;
};
Faults faults;
int aStream;

pa_simple* fakeNew(const char*, const char*, pa_stream_direction_t, const char*, const char*,
                   const pa_sample_spec*, const pa_channel_map*, const pa_buffer_attr*,
                   int* error) {
    if (++faults.opens >= faults.refuseOpensFrom) {
        *error = 1;
        return nullptr;
    }
    faults.bytesSinceOpen = 0;
    return reinterpret_cast<pa_simple*>(&aStream);
}
int fakeWrite(pa_simple*, const void*, std::size_t bytes, int* error) {
    if (faults.failingWrites.count(++faults.writes)) return *error = 1, -1;
    if (faults.bytesSinceOpen == 0) faults.firstWrite = std::chrono::steady_clock::now();
    faults.bytesSinceOpen += bytes;
    return 0;
}
int fakeDrain(pa_simple*, int* error) {
    std::this_thread::sleep_for(std::chrono::milliseconds(faults.drainMs));
    return faults.failingDrains.count(++faults.drains) ? (*error = 1, -1) : 0;
}
int fakeRead(pa_simple*, void*, std::size_t, int* error) { return *error = 1, -1; }
int fakeFlush(pa_simple*, int*) { return 0; }
pa_usec_t fakeLatency(pa_simple*, int*) {
    if (faults.keptUs == 0) return 0;
    const auto played = pa_usec_t(std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::steady_clock::now() - faults.firstWrite)
                                      .count());
    const auto written = pa_usec_t(faults.bytesSinceOpen / 2 * 1'000'000 / 16000);
    return std::max(written > played ? written - played : 0, faults.keptUs);
}
void fakeFree(pa_simple*) {}
const char* fakeError(int) { return "forced"; }
std::size_t fakeBytes(pa_usec_t, const pa_sample_spec*) { return 1920; }
const speech::PulseLibrary* faultyLibrary() {
    static const speech::PulseLibrary api{fakeNew,   fakeFree,    fakeWrite, fakeRead, fakeDrain,
                                          fakeFlush, fakeLatency, fakeError, fakeBytes};
    return &api;
}

}  // namespace

TEST(SoundFaults, ADrainAnsweredLateHoldsUpNeitherThisPhraseNorTheNextOne) {
    speech::FliteSynth synth;
    const auto pcm = synth.synthesize(" correct ");
    // A drain answered after 1.5 s: late (a sleeping device), or never, as the output sees it.
    for (const int patienceMs : {2000, 500}) {
        const bool late = patienceMs > 1500;
        SCOPED_TRACE(late ? "answered late" : "never answered");
        faults = Faults{};
        faults.drainMs = 1500;
        speech::PulseOutput out(QString(), faultyLibrary);
        out.stallMargin = std::chrono::milliseconds(200);
        out.drainPatience = std::chrono::milliseconds(patienceMs);
        int silences = 0;
        out.onSilence([&](const QString&) { ++silences; });
        ASSERT_TRUE(out.open(16000));
        const auto secondsOf = [&] {
            const auto began = std::chrono::steady_clock::now();
            out.play(pcm);
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        };
        // Played out, it is over after its length and the margin, drained or not.
        EXPECT_LT(secondsOf(), 1.0);
        // The next waits for a late drain before it (it shares the stream), then plays. Behind
        // one never answered, the phrase before is said again on a stream of its own (such a
        // phrase was never heard), and the next on a third, as that drain is not answered either.
        const double next = secondsOf();
        EXPECT_GT(next, 0.8) << "over before it was played";
        EXPECT_LT(next, 2.0);
        EXPECT_EQ(faults.opens, late ? 1 : 3);
        EXPECT_EQ(silences, 0) << "nothing went unheard";
        std::this_thread::sleep_for(std::chrono::milliseconds(1600));  // the last drain answered
    }
}

TEST(SoundFaults, AServerThatKeepsAPhrasesEndBackHasItHeardWithoutADrain) {
    speech::FliteSynth synth;
    const auto pcm = synth.synthesize(" correct ");
    // As much as PipeWire's server was seen to keep back, and more.
    for (const pa_usec_t kept : {40'000u, 150'000u}) {
        SCOPED_TRACE(kept);
        faults = Faults{};
        faults.keptUs = kept;
        speech::PulseOutput out(QString(), faultyLibrary);
        out.stallMargin = std::chrono::milliseconds(300);
        int silences = 0;
        out.onSilence([&](const QString&) { ++silences; });
        ASSERT_TRUE(out.open(pcm.sampleRate));
        const auto began = std::chrono::steady_clock::now();
        out.play(pcm);
        EXPECT_GT(std::chrono::steady_clock::now() - began, pcm.timeOf(pcm.samples.size()))
            << "over before it was played";
        EXPECT_EQ(silences, 0) << "the device taken for stalled";
        EXPECT_EQ(faults.drains, 0) << "a drain that may never be answered";
    }
}

TEST(SoundFaults, AFailedWriteOrDrainReconnectsOnceAndPlaysThePhraseAgain) {
    speech::FliteSynth synth;
    const auto pcm = synth.synthesize(" correct ");
    const std::size_t phrase = pcm.samples.size() * sizeof(std::int16_t);
    struct Case {
        const char* what;
        std::set<int> writes, drains;
        int refuseOpensFrom;
        bool heard;
    };
    for (const Case& c : {Case{"a write fails mid-phrase", {3}, {}, 1 << 30, true},
                          Case{"the drain fails", {}, {1}, 1 << 30, true},
                          Case{"it fails again after reconnecting", {3, 8}, {}, 1 << 30, true},
                          Case{"the server does not come back", {3}, {}, 2, false}}) {
        SCOPED_TRACE(c.what);
        faults = Faults{};
        faults.failingWrites = c.writes;
        faults.failingDrains = c.drains;
        faults.refuseOpensFrom = c.refuseOpensFrom;
        speech::PulseOutput out(QString(), faultyLibrary);
        out.reconnectPatience = std::chrono::milliseconds(200);
        int silences = 0;
        out.onSilence([&](const QString&) { ++silences; });
        ASSERT_TRUE(out.open(16000));
        out.play(pcm);
        EXPECT_EQ(silences, c.heard ? 0 : 1) << "a phrase that went unheard said so once";
        EXPECT_EQ(out.connected(), c.heard);
        if (c.heard) {
            // Once more for each loss: the wait starts again each time.
            EXPECT_EQ(faults.opens, 1 + int(c.writes.size() + c.drains.size()));
            EXPECT_EQ(faults.bytesSinceOpen, phrase) << "the phrase replayed whole";
        }
    }
}
