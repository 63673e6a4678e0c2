// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>

class QWidget;

namespace platform {

// The title bar and borders round `window` as the player sees them, whoever draws them: the
// window manager's frame on X11, the compositor's or Qt's own decoration on Wayland. A drop
// shadow is not part of the window: Qt's decoration on GNOME counts its shadow in the frame
// margins it reports (10 px a side), and the compositor leaves it out of the window's size.
QMargins visibleFrame(const QWidget& window);

}  // namespace platform
