// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Sound server faults for real: the test runs its own PulseAudio server, kills it in the middle of
// a phrase, and starts it again.
#include "runtime/RuntimeError.h"
#include "speech/FliteSynth.h"
#include "speech/PulseOutput.h"
#include "speech/Voice.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QThread>
#include <chrono>
#include <thread>

using namespace testsupport;

namespace {

// A PulseAudio server with a null sink on a private socket.
class PrivateServer {
  public:
    explicit PrivateServer(const TempDir& dir) : socket_(dir.path("native")), dir_(dir.path("")) {}
    ~PrivateServer() { stop(); }

    QString address() const { return QStringLiteral("unix:") + socket_; }

    void start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_RUNTIME_PATH", dir_ + "/run");
        env.insert("PULSE_STATE_PATH", dir_ + "/state");
        server_.setProcessEnvironment(env);
        server_.setProgram("pulseaudio");
        server_.setArguments(
            {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "-F", "/dev/null",
             "--load=module-native-protocol-unix socket=" + socket_ + " auth-anonymous=1",
             "--load=module-null-sink sink_name=faults"});
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start();
        ASSERT_TRUE(server_.waitForStarted());
        for (int i = 0; i < 200; ++i) {  // until it answers
            speech::PulseOutput probe(address());
            if (probe.open(16000)) return;
            QThread::msleep(25);
        }
        FAIL() << "the private sound server did not start";
    }

    void kill() {
        server_.kill();
        server_.waitForFinished();
    }
    void stop() {
        if (server_.state() != QProcess::NotRunning) kill();
    }

  private:
    QString socket_;
    QString dir_;
    QProcess server_;
};

}  // namespace

TEST(SoundFaults, AServerKilledMidPhraseIsTheRunTimeErrorOfTheCall) {
    TempDir dir;
    PrivateServer server(dir);
    server.start();
    speech::FliteSynth synth;
    speech::PulseOutput out(server.address());
    ASSERT_TRUE(out.open(16000));
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        server.kill();
    });
    try {
        out.play(synth.synthesize(speech::Phrase::Praise));
        ADD_FAILURE() << "a phrase that could not be played was reported as heard";
    } catch (const ::runtime::RuntimeError& e) {
        EXPECT_EQ(e.number(), ::runtime::Err::AutomationError);
    }
    killer.join();
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
