// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/PlainText.h"

#include <QChar>
#include <QStringView>
#include <algorithm>

namespace speech {

QByteArray plainText(const QString& text) {
    QByteArray out;
    out.reserve(std::min(text.size(), MaxPhraseChars));
    for (QChar ch : QStringView(text).left(MaxPhraseChars)) {
        const char16_t u = ch.unicode();
        const bool printable = (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u <= 0xFF);
        out.append(printable ? char(u) : ' ');
    }
    return out;
}

}  // namespace speech
