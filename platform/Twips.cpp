// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtMath>
#include <cmath>

namespace platform {

Twips Twips::on(const QScreen* screen) { return Twips(screen ? screen->logicalDotsPerInch() : 96); }

int Twips::px(double twips) const { return int(std::lround(twips * dpi_ / 1440.0)); }

int Twips::fontPx(double points) const { return qMax(1, qRound(points * dpi_ / 72.0)); }

void followDesktopTextSize() {
    // Qt would otherwise turn 144 dpi into a device-pixel ratio of 1.5: the same layout drawn
    // at one and a half times, with lines between pixels, and screen readers told the window's
    // place in the unscaled pixels. Rounded down instead, the rest of the DPI is the screen's
    // logical DPI, which the layout follows itself.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
}

}  // namespace platform
