// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "wordstore/Characters.h"

#include <QChar>

namespace wordstore {

bool isInvisible(char32_t c) {
    return QChar::isSpace(c) || QChar::category(c) == QChar::Other_Format;
}

QStringView trimInvisible(QStringView field) {
    const char16_t* u = field.utf16();
    qsizetype begin = 0, end = field.size();
    while (begin < end) {
        const bool pair = begin + 1 < end && QChar::isHighSurrogate(u[begin]) &&
                          QChar::isLowSurrogate(u[begin + 1]);
        const char32_t c = pair ? QChar::surrogateToUcs4(u[begin], u[begin + 1]) : u[begin];
        if (!isInvisible(c)) break;
        begin += pair ? 2 : 1;
    }
    while (end > begin) {
        const bool pair = end - 1 > begin && QChar::isLowSurrogate(u[end - 1]) &&
                          QChar::isHighSurrogate(u[end - 2]);
        const char32_t c = pair ? QChar::surrogateToUcs4(u[end - 2], u[end - 1]) : u[end - 1];
        if (!isInvisible(c)) break;
        end -= pair ? 2 : 1;
    }
    return field.sliced(begin, end - begin);
}
bool isValidUtf8(const unsigned char* s, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i < len) return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        static constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

}  // namespace wordstore
