// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/FliteSynth.h"

#include "runtime/RuntimeError.h"
#include "speech/Pacing.h"
#include "speech/PlainText.h"

#include <QByteArray>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <mutex>

extern "C" {
#include <flite/cst_synth.h>
#include <flite/cst_voice.h>
#include <flite/cst_wave.h>
#include <flite/flite.h>
cst_voice* register_cmu_us_rms(const char* voxdir);
}

namespace speech {

namespace {

// The engine keeps the utterance being made in the voice itself, and the voice is registered
// once for the whole process, so one lock, as global as the voice, guards every use of it. The
// voice is made ready with the first phrase, after the window's first frame: its tables are
// megabytes that start-up would otherwise read in.
std::mutex& engineLock() {
    static std::mutex lock;
    return lock;
}

cst_voice* rms() {
    static cst_voice* voice = [] {
        flite_init();
        return register_cmu_us_rms(nullptr);
    }();
    if (!voice) throw ::runtime::RuntimeError(::runtime::Err::AutomationError);
    return voice;
}

// The voice draws the noise of its unvoiced sounds from the C library's rand(). It draws from a
// state of its own, started from the same seed for every phrase, so a phrase sounds the same
// each time (Say Again repeats it exactly), and the rest of the process finds rand() where it
// left it. 128 bytes is the C library's own size, so the noise is what srand(1) would give.
class OwnNoise {
  public:
    OwnNoise() { previous_ = initstate(1, state_.data(), state_.size()); }
    ~OwnNoise() { setstate(previous_); }
    OwnNoise(const OwnNoise&) = delete;
    OwnNoise& operator=(const OwnNoise&) = delete;

  private:
    alignas(std::int32_t) std::array<char, 128> state_{};
    char* previous_ = nullptr;
};

}  // namespace

Pcm FliteSynth::synthesize(const QString& text, bool paced) {
    Pcm pcm;
    const QByteArray plain = plainText(text);
    if (plain.trimmed().isEmpty()) return pcm;
    cst_wave* wave = nullptr;
    {
        const std::lock_guard<std::mutex> one(engineLock());
        cst_voice* voice = rms();
        const OwnNoise noise;
        wave = flite_text_to_wave(plain.constData(), voice);
    }
    if (!wave) return pcm;
    pcm.sampleRate = wave->sample_rate;
    if (wave->num_channels == 1 && wave->num_samples > 0) {
        const int most = int(MaxSeconds * wave->sample_rate);
        pcm.samples.assign(wave->samples, wave->samples + std::min(wave->num_samples, most));
    }
    delete_wave(wave);
    if (paced) pace(pcm);
    return pcm;
}

QStringList FliteSynth::pronounce(const QString& word) {
    QStringList phones;
    const QByteArray plain = plainText(word).trimmed();
    if (plain.isEmpty()) return phones;
    // The voice's own steps from text to sounds, as it speaks, but no further: the wave is not
    // needed, and would cost ten times as much.
    static const cst_synth_module toSounds[] = {
        {"tokenizer_func", default_tokenization},
        {"textanalysis_func", default_textanalysis},
        {"pos_tagger_func", default_pos_tagger},
        {"phrasing_func", default_phrasing},
        {"lexical_insertion_func", default_lexical_insertion},
        {"pause_insertion_func", default_pause_insertion},
        {"postlex_func", nullptr},
        {nullptr, nullptr},
    };
    const std::lock_guard<std::mutex> one(engineLock());
    cst_voice* voice = rms();
    cst_utterance* utt = new_utterance();
    utt_set_input_text(utt, plain.constData());
    utt_init(utt, voice);
    if (apply_synth_method(utt, toSounds)) {
        for (const cst_item* s = relation_head(utt_relation(utt, "Segment")); s; s = item_next(s)) {
            const QString phone = QString::fromLatin1(item_feat_string(s, "name"));
            if (phone != u"pau") phones << phone;
        }
    }
    delete_utterance(utt);
    return phones;
}

}  // namespace speech
