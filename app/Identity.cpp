// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Identity.h"

namespace app {

QString version() { return QStringLiteral(ORTHOVANE_VERSION); }

}  // namespace app
