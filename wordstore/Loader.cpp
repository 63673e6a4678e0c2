// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "wordstore/Loader.h"

#include "app/Controls.h"
#include "app/FrmMain.h"
#include "app/GameState.h"
#include "runtime/RuntimeError.h"
#include "wordstore/FieldReader.h"

#include <QStringView>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

namespace wordstore {

QString wordFilePath(const QString& programDir) { return programDir + u'/' + WordFileName; }

namespace {

// A word of plain ASCII lowercased into `out`, a buffer reused from word to word: most of a big
// list is plain ASCII, and a QString per word would cost more than the rest of the load. False
// for any other word, which needs Unicode's rules.
bool lowerAsciiInto(QStringView word, std::vector<char16_t>& out, QStringView& lowered) {
    const std::size_t n = std::size_t(word.size());
    if (out.size() < n) out.resize(n * 2);
    const char16_t* s = word.utf16();
    std::size_t i = 0;
    // Four units at a time while four remain: each 16-bit lane on its own, no carry leaves one.
    constexpr std::uint64_t lanes = 0x0001000100010001u;
    for (; i + 4 <= n; i += 4) {
        std::uint64_t w;
        std::memcpy(&w, s + i, sizeof w);
        if (w & (lanes * 0xFF80)) return false;
        const std::uint64_t fromA = w + lanes * (0x80 - u'A');      // bit 7: at least 'A'
        const std::uint64_t pastZ = w + lanes * (0x80 - u'Z' - 1);  // bit 7: beyond 'Z'
        w |= ((fromA & ~pastZ) & (lanes * 0x80)) >> 2;              // 0x20 on each capital
        std::memcpy(out.data() + i, &w, sizeof w);
    }
    for (; i < n; ++i) {
        const char16_t c = s[i];
        if (c >= 0x80) return false;
        out[i] = char16_t(c >= u'A' && c <= u'Z' ? c + 32 : c);
    }
    lowered = QStringView(out.data(), qsizetype(n));
    return true;
}

// Room in each pool for what a file of this size could put there, so a big list is laid down
// once instead of being copied each time a pool doubles. A pool's words are at least so long,
// and each but the last is followed by a delimiter. Where the room cannot be had, the pools grow
// as they fill.
using Pools = std::array<app::ListBox*, app::LevelCount + 1>;  // by level, 1..6

// The fewest characters a word of each pool has.
constexpr std::array<std::size_t, app::LevelCount + 1> shortest = [] {
    std::array<std::size_t, app::LevelCount + 1> fewest{};
    for (qsizetype length = 64; length >= 0; --length)
        fewest[std::size_t(poolFor(length))] = std::size_t(length);
    return fewest;
}();

void reserveFor(const Pools& pools, std::size_t bytes) {
    for (int level = 1; level <= app::LevelCount; ++level) {
        try {
            pools[std::size_t(level)]->Reserve(bytes / (shortest[std::size_t(level)] + 1) + 1,
                                               bytes);
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
            // A sparse file can claim more than any list could ever hold.
        }
    }
}

void fill(const Pools& pools, FieldReader& reader) {
    std::vector<char16_t> lowerAscii;
    QString lowerUnicode;
    QStringView word, lowered;
    while (reader.next(word)) {
        const int pool = poolFor(word.size());
        if (pool == 0) continue;
        if (!lowerAsciiInto(word, lowerAscii, lowered)) {
            lowerUnicode = word.toString().toLower();
            lowered = lowerUnicode;
        }
        pools[std::size_t(pool)]->AddItem(lowered);
    }
}

}  // namespace

int loadWords(app::FrmMain& form, ByteSource& source) {
    Pools pools{};
    for (int level = 1; level <= app::LevelCount; ++level)
        pools[std::size_t(level)] = &form.Pool(level);
    int error = 0;
    std::unique_ptr<FieldReader> reader;
    try {
        reserveFor(pools, source.sizeHint());
        reader = std::make_unique<FieldReader>(source);
        fill(pools, *reader);
    } catch (const ::runtime::RuntimeError& e) {
        error = e.number();
    } catch (const std::bad_alloc&) {
        // A word list too big for memory: keep what fits and play with that.
        error = ::runtime::Err::OutOfMemory;
    }
    try {
        if (reader) form.state.FileWord = reader->last().toString();
    } catch (const std::bad_alloc&) {
        form.state.FileWord.clear();  // a field too big to hold twice
    }
    return error;
}

int loadWords(app::FrmMain& form, const QString& path) {
    try {
        form.state.FileNumber = 1;
        FileSource file(path);
        return loadWords(form, file);
    } catch (const ::runtime::RuntimeError& e) {
        return e.number();
    }
}

QString missingFileMessage() {
    return QStringLiteral("Can Not Find Database File ") + WordFileName +
           QStringLiteral(" It's Missing or Corrupted");
}

}  // namespace wordstore
