// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/Waiter.h"

#include <functional>
#include <stop_token>

namespace platform {

class InputGate;

// Runs a blocking job (playing a phrase) on a worker thread while the window keeps repainting.
// Input that arrives meanwhile is kept back by the gate and handled afterwards, in order; a close
// request cuts the phrase short.
class EventLoopWaiter final : public speech::Waiter {
  public:
    explicit EventLoopWaiter(InputGate& gate) : gate_(gate) {}
    void wait(const std::function<void()>& job, std::stop_source& cancel) override;

  private:
    InputGate& gate_;
};

}  // namespace platform
