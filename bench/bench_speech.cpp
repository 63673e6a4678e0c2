// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The two figures of how the game sounds in time, measured on the sound server the run started
// (a null sink, read back from its monitor):
//   silence  the silence heard between the end of one phrase and the start of the next, beyond
//            what the synthesiser itself puts at the end and the start of the phrases; the same
//            for paplay playing the same audio, one file after the other.
//   verdict  from Enter in the entry box to the verdict's samples being handed to the sound
//            output, through the real window; and the extra silence there, between " correct "
//            and the next prompt.
// Prints key=value lines, medians over the repetitions.
#include "app/FrmMain.h"
#include "commands/Commands.h"
#include "platform/EntryBox.h"
#include "platform/EventLoopWaiter.h"
#include "platform/FormView.h"
#include "platform/QtServices.h"
#include "runtime/Random.h"
#include "speech/FliteSynth.h"
#include "speech/Pacing.h"
#include "speech/PulseOutput.h"
#include "speech/SpeechVoice.h"
#include "support/SoundCapture.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using testsupport::firstAudible;
using testsupport::lastAudible;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Milliseconds of silence heard between the first phrase and the next sound in a recording of
// both (the first two stretches of sound split by 50 ms of silence), less the silence meant to be
// there (`meantMs`); negative when there was no second sound.
double extraSilenceMs(const std::vector<std::int16_t>& heard, double meantMs) {
    const auto spans = testsupport::soundSpans(heard, std::size_t(speech::Pcm().sampleRate / 20));
    if (spans.size() < 2) return -1;
    return double(spans[1].begin - spans[0].end) * 1000.0 / speech::Pcm().sampleRate - meantMs;
}

// The silence two phrases' samples hold between them, played one after the other: the first's
// tail after its last audible sample and the second's lead before its first.
double silenceInSamplesMs(const speech::Pcm& a, const speech::Pcm& b) {
    return (double(a.samples.size() - 1 - lastAudible(a.samples)) +
            double(firstAudible(b.samples))) *
           1000.0 / a.sampleRate;
}

void writeWav(const QString& path, const speech::Pcm& pcm) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return;
    const std::uint32_t data = std::uint32_t(pcm.samples.size() * 2);
    auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    f.write("RIFF");
    u32(36 + data);
    f.write("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(std::uint32_t(pcm.sampleRate));
    u32(std::uint32_t(pcm.sampleRate * 2));
    u16(2);
    u16(16);
    f.write("data");
    u32(data);
    f.write(reinterpret_cast<const char*>(pcm.samples.data()), data);
}

// Hands samples on to the real output, noting when each phrase was handed over.
class TimedOutput final : public speech::AudioOutput {
  public:
    explicit TimedOutput(speech::AudioOutput& inner) : inner_(inner) {}
    void play(const speech::Pcm& pcm, std::stop_token stop) override {
        handedOver.push_back(Clock::now());
        inner_.play(pcm, stop);
    }
    std::vector<Clock::time_point> handedOver;

  private:
    speech::AudioOutput& inner_;
};

void measureSilence(int repetitions) {
    speech::FliteSynth synth;
    speech::PulseOutput output;
    if (!output.open(16000)) {
        std::fprintf(stderr, "bench_speech: no sound server\n");
        return;
    }
    speech::Waiter direct;
    speech::SpeechVoice voice(synth, output, direct);
    // What the game says after a right answer: the verdict, then the next prompt.
    const QString first = speech::Phrase::Correct, second = QStringLiteral("Spell Word apple");
    const speech::Pcm a = synth.synthesize(first), b = synth.synthesize(second);

    std::vector<double> ours, paplay;
    for (int i = 0; i < repetitions; ++i) {
        testsupport::SoundCapture capture;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        voice.Speak(first, 0);
        voice.Speak(second, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        // The voice keeps the beat between plainly heard sounds itself.
        ours.push_back(extraSilenceMs(capture.stop(), speech::PauseMs));
    }
    // A stream left open would hold the server to its short latency, helping paplay.
    output.close();
    QTemporaryDir dir;
    writeWav(dir.filePath("a.wav"), a);
    writeWav(dir.filePath("b.wav"), b);
    const QByteArray command =
        ("paplay '" + dir.filePath("a.wav") + "' && paplay '" + dir.filePath("b.wav") + "'")
            .toLocal8Bit();
    for (int i = 0; i < repetitions; ++i) {
        testsupport::SoundCapture capture;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (std::system(command.constData()) != 0)
            std::fprintf(stderr, "bench_speech: paplay failed\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        paplay.push_back(extraSilenceMs(capture.stop(), silenceInSamplesMs(a, b)));
    }
    std::printf("beat_ms=%d\n", speech::PauseMs);
    std::printf("synth_silence_ms=%.1f\n", silenceInSamplesMs(a, b));
    std::printf("extra_silence_ms=%.1f\n", median(ours));
    std::printf("paplay_extra_silence_ms=%.1f\n", median(paplay));
}

void measureVerdict(int repetitions) {
    QTemporaryDir dir;
    {
        QFile words(dir.filePath("Words.txt"));
        if (!words.open(QIODevice::WriteOnly)) return;
        for (int i = 0; i < 10; ++i) words.write("cat\n");
    }
    platform::QtServices services{[](int) {}};
    ::runtime::MixingRandom random{1};
    app::FrmMain form{services, random};
    commands::Commands commands{form};
    platform::FormView view{form, services};
    speech::FliteSynth synth;
    speech::PulseOutput pulse;
    if (!pulse.open(16000)) return;
    TimedOutput output(pulse);
    platform::EventLoopWaiter waiter{services.gate()};
    commands.Form_Load(
        [&]() -> std::unique_ptr<speech::Voice> {
            // As the game does: the verdicts made ready ahead, so none is made on Enter.
            auto voice = std::make_unique<speech::SpeechVoice>(synth, output, waiter);
            voice->prepare(
                {speech::Phrase::Correct, speech::Phrase::Wrong, speech::Phrase::Praise});
            return voice;
        },
        dir.filePath("Words.txt"));
    QApplication::processEvents();
    view.startButton()->click();  // returns once the first prompt has been heard
    // A player answers no sooner than this after a word: an Enter kept from while it was spoken
    // is heard after the beat instead, which is not what is measured here.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    auto press = [&](int key, const QString& text) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(view.entry(), &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(view.entry(), &up);
    };
    std::vector<double> delays, silences;
    for (int i = 0; i < repetitions && i < 9; ++i) {
        press(Qt::Key_C, "c");
        press(Qt::Key_A, "a");
        press(Qt::Key_T, "t");
        const std::size_t before = output.handedOver.size();
        testsupport::SoundCapture capture;
        const Clock::time_point enter = Clock::now();
        press(Qt::Key_Return, "\r");  // returns after the verdict and the next prompt
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        silences.push_back(extraSilenceMs(capture.stop(), speech::PauseMs));
        if (output.handedOver.size() > before) {
            delays.push_back(
                std::chrono::duration<double, std::milli>(output.handedOver[before] - enter)
                    .count());
        }
    }
    std::printf("enter_to_verdict_ms=%.2f\n", median(delays));
    std::printf("game_extra_silence_ms=%.1f\n", median(silences));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    measureSilence(repetitions);
    measureVerdict(repetitions);
    return 0;
}
