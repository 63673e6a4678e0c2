// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Fonts.h"

#include <QFontDatabase>
#include <QStringList>
#include <initializer_list>

namespace platform {

QString sansSerifFamily() {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const QString& f :
             {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
              QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
              QStringLiteral("DejaVu Sans")}) {
            if (families.contains(f, Qt::CaseInsensitive)) return f;
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

QFont fontFor(const app::FontSpec& font, const Twips& twips) {
    QFont qfont(sansSerifFamily());
    const double points = font.points > 0 ? font.points : 8.0;
    qfont.setPixelSize(twips.fontPx(points));
    qfont.setBold(font.bold);
    return qfont;
}

}  // namespace platform
