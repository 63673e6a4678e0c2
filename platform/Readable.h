// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>

namespace platform {

// Text that reads in any desktop theme. The contrast a text needs against what is behind it:
// WCAG's level AA for ordinary text, enabled or not.
inline constexpr double ReadableContrast = 4.5;

// WCAG's relative luminance of a colour, and the contrast ratio of two (1 to 21).
double luminance(const QColor& c);
double contrast(const QColor& a, const QColor& b);

// Colours chosen here are chosen with room to spare: the thin stems of small antialiased text
// seldom reach the text's full colour.
inline constexpr double ChosenContrast = 5.0;

// `colour` if it stands `goal` apart from `other`; otherwise the nearest colour to it, towards
// black or towards white, that does.
QColor apartFrom(const QColor& other, const QColor& colour, double goal = ChosenContrast);

// A face whose colour the layout fixes (the light grey of the window, the labels and the
// buttons): text chosen for it, not taken from a theme that expects its own face. Black, and a
// grey that still reads while disabled.
void fixFace(QPalette& palette, QPalette::ColorRole face, const QColor& colour);

// The theme's palette with every text it pairs with a background made readable on it, in every
// state: the entry box's text and the results' lines, tooltips; the selected line keeps its text
// and its highlight is deepened or lightened under it instead, as themes pick their highlights to
// carry one text colour.
QPalette readableTheme(QPalette theme);

}  // namespace platform
