// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowFrame.h"

#include <QWidget>
#include <QWindow>

#ifdef ORTHOVANE_WAYLAND_FRAME
#include <QtWaylandClient/private/qwaylandwindow_p.h>
#endif

namespace platform {

QMargins visibleFrame(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                     frame.right() - client.right(), frame.bottom() - client.bottom());
#ifdef ORTHOVANE_WAYLAND_FRAME
    // Qt's own Wayland decoration: its shadow margins are what it leaves out of the window's
    // geometry it gives the compositor. Nothing public says how wide they are.
    using QtWaylandClient::QWaylandWindow;
    const QWindow* handle = window.windowHandle();
    const auto* wayland = handle ? dynamic_cast<const QWaylandWindow*>(handle->handle()) : nullptr;
    if (wayland) margins -= wayland->windowContentMargins();
#endif
    return margins;
}

}  // namespace platform
