// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/Pcm.h"

#include <cstddef>

namespace speech {

// The engine pads every phrase with over a tenth of a second of near-silence before its first
// sound and after its last: heard as a wait after every key, and as dead air between the verdict
// and the next word. A phrase is cut to start LeadMs before its first sound and to end FadeMs
// after its last, the voice's soft tail faded out so the cut makes no click.
inline constexpr int LeadMs = 10;
inline constexpr int FadeMs = 20;

// The beat between two phrases: from the last plainly heard sample of one to the first of the
// next, whatever faint tail and onset each has (the "ng" of " wrong " fades for 80 ms, the "t" of
// " correct " stops short). The voice keeps it as time, not as silent samples, so the next phrase
// is made while the beat passes. Heard at the sound server it comes out a little longer, by the
// server's latency.
inline constexpr int PauseMs = 155;
// Plainly heard: a sample at least this far from zero, -41 dBFS.
inline constexpr int HeardLevel = 300;

// Sound is any sample at least this far from zero, -50 dBFS: far above the engine's noise floor
// (samples of a dozen or so), below the breath of an "h" or the hiss of an "s", "f" or "th". The
// faint rustle before the burst of a "k" stays out of it, so " correct " is heard at once.
inline constexpr int SoundLevel = 100;

// Where the sound of a phrase begins and ends, in samples: [first, last) of the samples at
// SoundLevel or beyond; first == last when there is none.
struct SoundExtent {
    std::size_t first = 0;
    std::size_t last = 0;
};
SoundExtent soundExtent(const Pcm& pcm);
// The same for what is plainly heard, at HeardLevel.
SoundExtent heardExtent(const Pcm& pcm);

// The phrase from LeadMs before its first sound to FadeMs after its last, fading out over those.
// A phrase with no sound is left as it is.
void pace(Pcm& pcm);

}  // namespace speech
