// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/FliteSynth.h"

#include "runtime/RuntimeError.h"
#include "speech/Pacing.h"

#include <algorithm>

extern "C" {
#include <flite/cst_voice.h>
#include <flite/cst_wave.h>
#include <flite/flite.h>
#include <QStringView>
#include <vector>
cst_voice* register_cmu_us_kal16(const char* voxdir);
}

namespace speech {

namespace {
cst_voice* kal16() {
    static cst_voice* voice = [] {
        flite_init();
        return register_cmu_us_kal16(nullptr);
    }();
    return voice;
}
}  // namespace

FliteSynth::FliteSynth() : voice_(kal16()) {
    if (!voice_) throw ::runtime::RuntimeError(::runtime::Err::AutomationError);
}

QByteArray FliteSynth::plainText(const QString& text) {
    // The engine reads Latin-1 bytes. Control characters and anything outside printable
    // Latin-1 become blanks, so no byte can reach it as an escape or a sequence it interprets.
    QByteArray out;
    out.reserve(std::min(text.size(), MaxChars));
    for (QChar ch : QStringView(text).left(MaxChars)) {
        const char16_t u = ch.unicode();
        const bool printable = (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u <= 0xFF);
        out.append(printable ? char(u) : ' ');
    }
    return out;
}

Pcm FliteSynth::synthesize(const QString& text, bool paced) {
    Pcm pcm;
    const QByteArray plain = plainText(text);
    if (plain.trimmed().isEmpty()) return pcm;
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
