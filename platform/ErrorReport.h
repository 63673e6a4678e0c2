#pragma once

#include "app/Runtime.h"

#include <functional>

namespace platform {

// The event boundary: a run-time error that no handler trapped is reported in a critical message
// box and ends the program with a non-zero status.
void RunGuarded(app::Runtime& runtime, const std::function<void()>& handler);

QString UntrappedErrorText(int number, const QString& description);

inline constexpr int UntrappedErrorExitStatus = 2;

}  // namespace platform
