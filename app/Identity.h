// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace app {

// What the program calls itself: the window's caption, the message boxes' title.
inline const QString AppTitle = QStringLiteral("Orthovane");

// The program's version, as the build gives it (the project's own, set in one place).
QString version();

}  // namespace app
