// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the audio that scripts/bench hands to the speech recogniser, 16 kHz mono 16-bit raw:
//   bench_say flite OUTDIR        one OUTDIR/<word>.raw of "Spell Word <word>" per word read
//                                 from standard input, a line each, in the game's voice
//   bench_say resample IN.wav OUT.raw
//                                 a 16-bit mono WAV file at any rate, resampled to 16 kHz
#include "speech/FliteSynth.h"
#include "speech/Voice.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool writeRaw(const QString& path, const std::vector<std::int16_t>& samples) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    const qint64 bytes = qint64(samples.size() * 2);
    return f.write(reinterpret_cast<const char*>(samples.data()), bytes) == bytes;
}

int flite(const QString& dir) {
    speech::FliteSynth synth;
    QTextStream in(stdin);
    QString word;
    while (in.readLineInto(&word)) {
        if (word.isEmpty()) continue;
        const speech::Pcm pcm = synth.synthesize(speech::Phrase::SpellWord + word);
        if (!writeRaw(dir + '/' + word + ".raw", pcm.samples)) return 1;
    }
    return 0;
}

int resample(const QString& from, const QString& to) {
    QFile f(from);
    if (!f.open(QIODevice::ReadOnly)) return 1;
    const QByteArray wav = f.readAll();
    // Walks the chunks for the format and the data; espeak-ng writes a plain PCM file.
    std::uint32_t rate = 0;
    const char* data = nullptr;
    std::uint32_t dataBytes = 0;
    for (qsizetype at = 12; at + 8 <= wav.size();) {
        std::uint32_t size;
        std::memcpy(&size, wav.constData() + at + 4, 4);
        const QByteArray id = wav.mid(at, 4);
        if (id == "fmt " && at + 16 <= wav.size()) std::memcpy(&rate, wav.constData() + at + 12, 4);
        if (id == "data") {
            data = wav.constData() + at + 8;
            // espeak-ng writing to a file may leave the size unset; take what is there.
            dataBytes = std::uint32_t(std::min<qsizetype>(size, wav.size() - at - 8));
            break;
        }
        at += 8 + size + (size & 1);
    }
    if (!data || rate == 0) return 1;
    std::vector<std::int16_t> in(dataBytes / 2);
    std::memcpy(in.data(), data, in.size() * 2);
    // Linear interpolation: enough for speech judged by a recogniser working below 8 kHz.
    const double step = double(rate) / 16000.0;
    std::vector<std::int16_t> out;
    for (double t = 0; t + 1 < double(in.size()); t += step) {
        const std::size_t i = std::size_t(t);
        const double frac = t - double(i);
        out.push_back(std::int16_t(in[i] * (1 - frac) + in[i + 1] * frac));
    }
    return writeRaw(to, out) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "flite") == 0)
        return flite(QString::fromLocal8Bit(argv[2]));
    if (argc == 4 && std::strcmp(argv[1], "resample") == 0) {
        return resample(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    std::fprintf(stderr, "usage: %s flite OUTDIR < words | %s resample IN.wav OUT.raw\n", argv[0],
                 argv[0]);
    return 2;
}
