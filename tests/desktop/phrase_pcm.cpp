// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Writes what the game's voice makes of a phrase to standard output, 16 kHz mono 16-bit raw: the
// outside-in cases hold what they hear at the sound server against it.
#include "speech/FliteSynth.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    speech::FliteSynth synth;
    const speech::Pcm pcm = synth.synthesize(QString::fromUtf8(argv[1]));
    const std::size_t n = std::fwrite(pcm.samples.data(), 2, pcm.samples.size(), stdout);
    return n == pcm.samples.size() ? 0 : 1;
}
