#pragma once

#include "speech/Pcm.h"

#include <functional>

namespace speech {

// Where synthesised speech is heard. play() blocks until the samples have been played.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual void play(const Pcm& pcm) = 0;
};

// Runs a blocking job while the window keeps repainting. The default just runs it.
class Waiter {
public:
    virtual ~Waiter() = default;
    virtual void wait(const std::function<void()>& job) { job(); }
};

}  // namespace speech
