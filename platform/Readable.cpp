// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Readable.h"

#include <cmath>
#include <initializer_list>
#include <utility>

namespace platform {

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor mix(const QColor& from, const QColor& to, double t) {
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                            float(from.greenF() + (to.greenF() - from.greenF()) * t),
                            float(from.blueF() + (to.blueF() - from.blueF()) * t));
}

constexpr QPalette::ColorGroup Groups[] = {QPalette::Active, QPalette::Inactive,
                                           QPalette::Disabled};

QPalette::ColorRole textOf(QPalette::ColorRole face) {
    return face == QPalette::Button ? QPalette::ButtonText : QPalette::WindowText;
}

}  // namespace

double luminance(const QColor& c) {
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor apartFrom(const QColor& other, const QColor& colour, double goal) {
    if (contrast(other, colour) >= goal) return colour.toRgb();
    // A twentieth of the way at a time, whichever end gets there first: the theme's hue is kept
    // as far as it can be. One end always gets there: black and white are more than 4.58:1 from
    // any colour.
    for (int step = 1; step <= 20; ++step) {
        for (const QColor& end : {QColor(Qt::black), QColor(Qt::white)}) {
            const QColor candidate = mix(colour, end, step / 20.0);
            if (contrast(other, candidate) >= goal) return candidate;
        }
    }
    return contrast(other, Qt::black) > contrast(other, Qt::white) ? QColor(Qt::black)
                                                                   : QColor(Qt::white);
}

void fixFace(QPalette& palette, QPalette::ColorRole face, const QColor& colour) {
    const QColor text = apartFrom(colour, luminance(colour) > 0.18 ? Qt::black : Qt::white);
    // Disabled is halfway to the face, then as near as it may come and still read.
    const QColor disabled = apartFrom(colour, mix(text, colour, 0.5));
    for (const QPalette::ColorGroup group : Groups) {
        palette.setColor(group, face, colour);
        palette.setColor(group, textOf(face), group == QPalette::Disabled ? disabled : text);
    }
}

QPalette readableTheme(QPalette theme) {
    for (const QPalette::ColorGroup group : Groups) {
        for (const auto& [behind, text] :
             {std::pair{QPalette::Base, QPalette::Text},
              std::pair{QPalette::ToolTipBase, QPalette::ToolTipText}}) {
            theme.setColor(group, text,
                           apartFrom(theme.color(group, behind), theme.color(group, text)));
        }
        // The selected line is the score, in the list's small plain font on a saturated colour,
        // where antialiasing takes the most from thin stems: measured on screen, 5:1 chosen came
        // out at 4.3:1. Seven gives the room.
        theme.setColor(group, QPalette::Highlight,
                       apartFrom(theme.color(group, QPalette::HighlightedText),
                                 theme.color(group, QPalette::Highlight), 7.0));
    }
    return theme;
}

}  // namespace platform
