// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Real speech: Flite synthesises the phrases, PulseAudio plays them into the test run's own server,
// and the test listens on the server's monitor.
#include "speech/FliteSynth.h"
#include "speech/Pacing.h"
#include "speech/PlainText.h"
#include "speech/PulseOutput.h"
#include "speech/SpeechVoice.h"
#include "support/Recorders.h"
#include "support/SoundCapture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <stop_token>
#include <thread>
#include <vector>

using namespace testsupport;
using namespace Qt::StringLiterals;
using Clock = std::chrono::steady_clock;

namespace {

double rms(const std::vector<std::int16_t>& s) {
    double sum = 0;
    for (auto x : s) sum += double(x) * x;
    return s.empty() ? 0 : std::sqrt(sum / double(s.size()));
}

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

}  // namespace

TEST(FliteSynth, SpeaksAPromptAsAudibleAudioOfAPlausibleLength) {
    speech::FliteSynth synth;
    const auto pcm = synth.synthesize("Spell Word apple");
    EXPECT_EQ(pcm.sampleRate, 16000);
    EXPECT_GT(pcm.seconds(), 0.6);
    EXPECT_LT(pcm.seconds(), 3.0);
    EXPECT_GT(rms(pcm.samples), 500);
    // A longer word takes longer to say.
    EXPECT_GT(synth.synthesize("Spell Word responsibility").seconds(), pcm.seconds());
}

TEST(FliteSynth, APhraseStartsAtOnceEndsWithItsSoundAndLosesNoSoftSound) {
    speech::FliteSynth synth;
    const std::size_t perMs = 16;
    // Soft starts: the hiss of s, f and th and the breath of h are the first to be lost.
    for (const char* text : {" correct ", " wrong ", "Spell Word five", "Spell Word house",
                             "Spell Word thumb", "five", "house", "thumb", "shy", "fish"}) {
        SCOPED_TRACE(text);
        const auto raw = synth.synthesize(text, false);
        const auto paced = synth.synthesize(text);
        const auto sound = speech::soundExtent(paced);
        EXPECT_LE(sound.first, speech::LeadMs * perMs);
        EXPECT_LE(paced.samples.size() - sound.last, speech::FadeMs * perMs);
        // It ends faded out, not cut off on a click.
        EXPECT_LT(std::abs(paced.samples.back()), 10);
        // The paced phrase is a stretch of the engine's, and everything clearly audible in the
        // engine's lies inside it.
        const auto it = std::search(raw.samples.begin(), raw.samples.end(), paced.samples.begin(),
                                    paced.samples.begin() + std::ptrdiff_t(sound.last));
        ASSERT_NE(it, raw.samples.end());
        const std::size_t from = std::size_t(it - raw.samples.begin());
        for (std::size_t i = 0; i < raw.samples.size(); ++i) {
            if (std::abs(raw.samples[i]) < 100) continue;
            ASSERT_GE(i, from) << "lost at " << i / perMs << " ms";
            ASSERT_LT(i, from + paced.samples.size()) << "lost at " << i / perMs << " ms";
        }
        // The engine padded over a tenth of a second; the game waits no more than LeadMs.
        EXPECT_GT(speech::soundExtent(raw).first, 100 * perMs);
    }
}

TEST(FliteSynth, OneVoiceSaysAPhraseTheSameEachTimeFromAnyThreadAndLeavesRandAlone) {
    std::srand(42);
    const int next = std::rand();
    std::srand(42);
    const auto once = speech::FliteSynth().synthesize("Spell Word thumb");
    EXPECT_EQ(std::rand(), next) << "the program's own rand() sequence was reset";
    // Two synthesisers at once share the process's one voice, and take turns with it.
    std::vector<std::vector<std::int16_t>> made(2);
    std::vector<std::thread> threads;
    for (auto& samples : made)
        threads.emplace_back([&samples] {
            speech::FliteSynth synth;
            for (int i = 0; i < 4; ++i) samples = synth.synthesize("Spell Word thumb").samples;
        });
    for (auto& t : threads) t.join();
    for (const auto& samples : made) EXPECT_EQ(samples, once.samples);
}

TEST(FliteSynth, ReadsTextOnlyAsText) {
    EXPECT_EQ(speech::plainText(u"<b>&amp;\x1b[31m\x07"_s), "<b>&amp; [31m ");
    EXPECT_EQ(speech::plainText(u"\u0416\u00e9"_s), " \xe9");
    speech::FliteSynth synth;
    EXPECT_TRUE(synth.synthesize("").samples.empty());
    EXPECT_TRUE(synth.synthesize(" \x1b ").samples.empty());
    // Markup is not obeyed: the tags are read out (or skipped), and the phrase still ends.
    EXPECT_LT(synth.synthesize("<speak><break time=\"10s\"/></speak>").seconds(), 5.0);
}

TEST(PulseOutput, PlaysThePhraseToTheEndBeforeReturning) {
    ASSERT_FALSE(testSoundServer().isEmpty()) << "the test run starts a sound server";
    speech::FliteSynth synth;
    const auto pcm = synth.synthesize("Spell Word elephant");
    speech::PulseOutput out;
    ASSERT_TRUE(out.open(pcm.sampleRate)) << out.lastError().toStdString();
    SoundCapture capture;
    out.play(pcm);
    const auto heard = capture.stop();
    // All of it has been heard by the time play returns: the sound from first to last loud sample
    // lasts as long as the phrase's.
    auto loudSeconds = [](const std::vector<std::int16_t>& s) {
        const auto spans = soundSpans(s, SoundCapture::Rate / 2);
        return spans.size() == 1 ? double(spans[0].end - spans[0].begin) / SoundCapture::Rate : -1;
    };
    EXPECT_NEAR(loudSeconds(heard), loudSeconds(pcm.samples), 0.05);
}

TEST(PulseOutput, AStopCutsShortEvenAPhraseLongerThanTheServerIsHandedAtOnce) {
    ASSERT_FALSE(testSoundServer().isEmpty());
    speech::FliteSynth synth;
    const auto pcm = synth.synthesize("Spell Word telecommunications, telecommunications");
    ASSERT_GT(pcm.seconds(), 3.0);
    speech::PulseOutput out;
    ASSERT_TRUE(out.open(pcm.sampleRate));
    SoundCapture capture;
    std::stop_source stop;
    std::thread playing([&] { out.play(pcm, stop.get_token()); });
    const bool began = QTest::qWaitFor([&] { return capture.heardSound(); }, 5000);
    stop.request_stop();
    playing.join();
    ASSERT_TRUE(began) << "the phrase was never heard";
    const auto heard = capture.stop();
    // Heard for a moment, not until the program had written the rest of the phrase.
    EXPECT_LT(double(lastAudible(heard) - firstAudible(heard)) / SoundCapture::Rate, 0.5);
}

TEST(PulseOutput, LetsTheStreamGoWhenQuietOrToldToRestAndConnectsAgainToSpeak) {
    ASSERT_FALSE(testSoundServer().isEmpty());
    speech::FliteSynth synth;
    const auto pcm = synth.synthesize(" correct ");
    speech::PulseOutput out;
    out.setRestAfter(std::chrono::milliseconds(300));
    out.play(pcm);
    EXPECT_TRUE(out.connected());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !out.connected(); }, 3000)) << "held while quiet";
    out.setRestAfter(std::chrono::minutes(1));
    SoundCapture capture;
    out.play(pcm);
    EXPECT_TRUE(capture.heardSound()) << "heard again after resting";
    out.rest();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !out.connected(); }, 3000)) << "held after rest()";
}

TEST(PulseOutput, WithoutAServerTheGameGoesOnInSilenceAtTheSamePace) {
    speech::FliteSynth synth;
    const auto pcm = synth.synthesize(" correct ");
    speech::PulseOutput out(QStringLiteral("unix:/nonexistent/orthovane"));
    EXPECT_FALSE(out.open(pcm.sampleRate));
    const auto start = Clock::now();
    out.play(pcm);
    // It waited the phrase out: a sleep never ends early, so this bound cannot flake.
    EXPECT_GE(secondsSince(start), pcm.seconds());
}

TEST(SpeechVoice, SpeaksEachPhraseInTurn) {
    ASSERT_FALSE(testSoundServer().isEmpty());
    speech::FliteSynth synth;
    speech::PulseOutput out;
    speech::Waiter direct;  // plays on this thread
    speech::SpeechVoice voice(synth, out, direct);
    SoundCapture capture;
    voice.Speak(" correct ", 0);
    voice.Speak("Spell Word apple", 0);
    const auto spans = soundSpans(capture.stop(), SoundCapture::Rate * 6 / 100);
    // Two phrases, heard one after the other, with the beat between them: the second is made
    // while the beat passes, and never starts before it is over.
    ASSERT_GE(spans.size(), 2u);
    EXPECT_LT(spans.front().begin, spans.back().begin);
    const double gap = double(spans[1].begin - spans[0].end) / SoundCapture::Rate;
    EXPECT_GE(gap, (speech::PauseMs - 5) / 1000.0);
}

TEST(FliteSynth, HostileWordsAreSpokenAsTextInBoundedTime) {
    speech::FliteSynth synth;
    const double normal = synth.synthesize("Spell Word apple").seconds();
    for (const QString& word :
         {u"<speak>"_s, u"&amp;"_s, u"[[h@l'oU]]"_s, u"\x1b[2J"_s, u"12345"_s,
          u"\u0416\u0438\u0437\u043d\u044c"_s, u"東京"_s, QString(10000, u'q')}) {
        const auto pcm = synth.synthesize("Spell Word " + word);
        EXPECT_LE(pcm.seconds(), speech::FliteSynth::MaxSeconds);
        // Whatever came before leaves the next phrase as it always is.
        EXPECT_EQ(synth.synthesize("Spell Word apple").seconds(), normal);
    }
    EXPECT_LE(speech::plainText(QString(10000, u'q')).size(), speech::MaxPhraseChars);
}
