// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

namespace platform {

class QtServices;

// The event boundary, around every handler the window runs. A run-time error that no handler
// trapped is reported in a critical message box and ends the program with a non-zero status;
// input kept back while the handler spoke is handed over once it is done.
void runGuarded(QtServices& services, const std::function<void()>& handler);

QString untrappedErrorText(int number, const QString& description);

inline constexpr int UntrappedErrorExitStatus = 2;

}  // namespace platform
