// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Real speech: Flite synthesises the phrases, PulseAudio plays them into the test run's own server,
// and the test listens on the server's monitor.
#include "speech/FliteSynth.h"
#include "speech/PulseOutput.h"
#include "speech/SpeechVoice.h"
#include "support/SoundCapture.h"

#include <gtest/gtest.h>
#include <chrono>
#include <cmath>

using namespace testsupport;
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

TEST(FliteSynth, ReadsTextOnlyAsText) {
    EXPECT_EQ(speech::FliteSynth::plainText(u"<b>&amp;\x1b[31m\x07"_qs), "<b>&amp; [31m ");
    EXPECT_EQ(speech::FliteSynth::plainText(u"\u0416\u00e9"_qs), " \xe9");
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
    // Two phrases, heard one after the other.
    ASSERT_GE(spans.size(), 2u);
    EXPECT_LT(spans.front().begin, spans.back().begin);
}

TEST(FliteSynth, HostileWordsAreSpokenAsTextInBoundedTime) {
    speech::FliteSynth synth;
    const double normal = synth.synthesize("Spell Word apple").seconds();
    for (const QString& word :
         {u"<speak>"_qs, u"&amp;"_qs, u"[[h@l'oU]]"_qs, u"\x1b[2J"_qs, u"12345"_qs,
          u"\u0416\u0438\u0437\u043d\u044c"_qs, u"東京"_qs, QString(10000, u'q')}) {
        const auto pcm = synth.synthesize("Spell Word " + word);
        EXPECT_LE(pcm.seconds(), speech::FliteSynth::MaxSeconds);
        // Whatever came before leaves the next phrase as it always is.
        EXPECT_EQ(synth.synthesize("Spell Word apple").seconds(), normal);
    }
    EXPECT_LE(speech::FliteSynth::plainText(QString(10000, u'q')).size(),
              speech::FliteSynth::MaxChars);
}
