// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

namespace app {

// Windows-1252, the single-byte code page the game's word files and key codes come from.
namespace cp1252 {

// The characters the code page puts in 0x80..0x9F; the rest of it is Latin-1.
inline constexpr std::array<char16_t, 32> High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

inline constexpr char16_t toUnicode(unsigned char c) {
    return (c >= 0x80 && c < 0xA0) ? High[c - 0x80] : char16_t(c);
}

// The code of a character in the code page; one it lacks becomes '?', as the conversion of typed
// text to the code page makes it.
inline constexpr int fromUnicode(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return int(u);
    for (int i = 0; i < 32; ++i) {
        if (High[std::size_t(i)] == u) return 0x80 + i;
    }
    return '?';
}

}  // namespace cp1252
}  // namespace app
