// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QWidget;

namespace platform {

// Runs `then` once, on the turn of the event loop after `window` has painted its first frame:
// for work that the player should not wait for before seeing the window.
void afterFirstFrame(QWidget& window, std::function<void()> then);

// For timing start-up from outside: when ORTHOVANE_FIRST_FRAME_FD names an open file descriptor,
// one byte is written to it once `window` has painted its first frame, and the program then
// exits at once. Without it, nothing happens.
void reportFirstFrame(QWidget& window);

}  // namespace platform
