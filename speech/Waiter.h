// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <stop_token>

namespace speech {

// Runs a blocking job while the window keeps repainting, and may ask the job to stop early (when
// the window is being closed). The default just runs it.
class Waiter {
  public:
    virtual ~Waiter() = default;
    virtual void wait(const std::function<void()>& job, std::stop_source& /*cancel*/) { job(); }
};

}  // namespace speech
