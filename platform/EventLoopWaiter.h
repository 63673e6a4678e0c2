#pragma once

#include "speech/AudioOutput.h"

namespace platform {

// Runs a blocking job (playing a phrase) on a worker thread while the window keeps repainting.
// User input that arrives meanwhile is not handled here; it waits, in order, for the main loop.
class EventLoopWaiter final : public speech::Waiter {
public:
    void wait(const std::function<void()>& job) override;
};

}  // namespace platform
