// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/FliteSynth.h"

#include "runtime/RuntimeError.h"
#include "speech/Pacing.h"
#include "speech/PlainText.h"

#include <QByteArray>
#include <algorithm>
#include <cstdlib>
#include <mutex>

extern "C" {
#include <flite/cst_voice.h>
#include <flite/cst_wave.h>
#include <flite/flite.h>
cst_voice* register_cmu_us_rms(const char* voxdir);
}

namespace speech {

namespace {
cst_voice* rms() {
    static cst_voice* voice = [] {
        flite_init();
        return register_cmu_us_rms(nullptr);
    }();
    return voice;
}
}  // namespace

// The voice is made ready with the first phrase, after the window's first frame: its tables
// are megabytes that start-up would otherwise read in.
FliteSynth::FliteSynth() = default;

Pcm FliteSynth::synthesize(const QString& text, bool paced) {
    Pcm pcm;
    const QByteArray plain = plainText(text);
    if (plain.trimmed().isEmpty()) return pcm;
    // The engine keeps the utterance being made in the voice itself.
    const std::lock_guard<std::mutex> one(engine_);
    // The voice draws the noise of its unvoiced sounds from the C library's rand(): seeded the
    // same each time, a phrase sounds the same each time (Say Again repeats it exactly).
    std::srand(1);
    if (!voice_) voice_ = rms();
    if (!voice_) throw ::runtime::RuntimeError(::runtime::Err::AutomationError);
    cst_wave* wave = flite_text_to_wave(plain.constData(), voice_);
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

}  // namespace speech
