// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/Pcm.h"

#include <stop_token>

namespace speech {

// Where synthesised speech is heard. play() blocks until the samples have been played, or soon
// after a stop is requested (the rest of the phrase is then dropped).
class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    virtual void play(const Pcm& pcm, std::stop_token stop = {}) = 0;
};

}  // namespace speech
