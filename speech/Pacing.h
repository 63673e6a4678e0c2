// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/Pcm.h"

#include <cstddef>

namespace speech {

// The engine pads every phrase with about a quarter second of near-silence before its first sound
// and more than a tenth after its last: heard as a wait after every key, and as dead air between
// the verdict and the next word. A phrase is cut to start LeadMs before its first sound, and its
// end becomes its last sound followed by a pause of PauseMs: the beat between two phrases.
inline constexpr int LeadMs = 10;
inline constexpr int PauseMs = 110;

// Sound is what rises above the engine's noise floor (about -66 dBFS) in any 5 ms frame:
// -58 dBFS, well below the breath of an "h" or the hiss of an "s", "f" or "th".
inline constexpr int SoundRms = 40;
inline constexpr int FrameMs = 5;

// Where the sound of a phrase begins and ends, in samples: [first, last) of the frames above the
// floor; first == last when there is none.
struct SoundExtent {
    std::size_t first = 0;
    std::size_t last = 0;
};
SoundExtent soundExtent(const Pcm& pcm);

// The phrase from LeadMs before its first sound to its last sound, then PauseMs of silence.
// A phrase with no sound is left as it is.
void pace(Pcm& pcm);

}  // namespace speech
