// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Controls.h"
#include "platform/Twips.h"

#include <QFont>
#include <QString>

namespace platform {

// The Qt font for a font the layout names. Sizes are kept in step with the twips layout (points
// at the layout's DPI), and a family the machine lacks is replaced by a metric-compatible
// sans-serif.
QFont fontFor(const app::FontSpec& font, const Twips& twips);

// The family actually used for the layout's "MS Sans Serif".
QString sansSerifFamily();

}  // namespace platform
