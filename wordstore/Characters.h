// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>
#include <cstddef>

namespace wordstore {

// What a word list copied from a web page or a word processor carries around its words without
// showing it: every kind of white space (the no-break space, the ideographic space...) and the
// invisible format characters (zero-width space, word joiner, byte order mark...).
bool isInvisible(char32_t c);

// The field without what is invisible at either end; what lies inside stays.
QStringView trimInvisible(QStringView field);

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(const unsigned char* s, std::size_t n);

}  // namespace wordstore
