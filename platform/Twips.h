// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QScreen;

namespace platform {

// The layout's twips on a screen: 1440 to the inch at the screen's logical DPI, as the platform
// the layout was made for scaled its windows with "large fonts". The desktop's text size
// (Xft.dpi, which GNOME's text scaling and KDE's font DPI set, or QT_FONT_DPI) grows the window,
// its controls and its text together; at 96 dpi a pixel is 15 twips. The device-pixel ratio
// (a Wayland output's scale, QT_SCALE_FACTOR) comes on top.
class Twips {
  public:
    explicit Twips(double dpi = 96) : dpi_(dpi > 0 ? dpi : 96) {}
    // The screen's logical DPI; 96 with no screen.
    static Twips on(const QScreen* screen);

    int px(double twips) const;
    float fromPx(double px) const { return float(px * 1440.0 / dpi_); }
    // A font's size in pixels at this DPI.
    int fontPx(double points) const;

    friend bool operator==(const Twips&, const Twips&) = default;

  private:
    double dpi_;
};

// Called before the application is made: a desktop's DPI is taken in whole device pixels (see
// Twips), so 120 and 144 dpi lay the window out in real pixels, crisp and where a screen reader
// says it is; only from 168 dpi on does Qt's device-pixel ratio double them.
void followDesktopTextSize();

}  // namespace platform
