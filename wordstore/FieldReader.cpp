// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "wordstore/FieldReader.h"

#include "app/CodePage.h"
#include "wordstore/Characters.h"

#include <QByteArray>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>

namespace wordstore {

namespace {

constexpr char16_t CtrlZ = 0x1A;

bool isBlank(char16_t u) { return u == u' ' || u == u'\t'; }
constexpr char16_t ByteOrderMark = 0xFEFF;

bool endsField(char16_t u) { return u == u',' || u == u'\n' || u == u'\r'; }

}  // namespace

bool FieldReader::next(QStringView& out) {
    if (lfMayFollow_) {
        lfMayFollow_ = false;
        if (peek() == u'\n') ++units_.pos;
    }
    int u = skipLeading();
    if (u < 0) return false;
    // Both from one value, never one from the other: a view written as two halves and read
    // back whole waits for the store to finish.
    QStringView field;
    const bool quoted = u == u'"';
    if (!quoted && takeWhole(field)) {
        // Only a unit beyond ASCII at either end can be invisible: blanks are gone already.
        if (!field.isEmpty() && (field.front().unicode() >= 0x80 || field.back().unicode() >= 0x80))
            field = trimInvisible(field);
        out = field;
        last_ = field;
        return true;
    }
    field_.clear();
    ascii_ = true;
    if (quoted) {
        ++units_.pos;
        takeUntil([](char16_t c) { return c == u'"'; });
        if (peek() == u'"') {
            ++units_.pos;
            // Anything between the closing quote and the delimiter is not part of the word.
            while ((u = peek()) >= 0 && !endsField(char16_t(u))) ++units_.pos;
        }
    } else {
        takeUntil(endsField);
        while (!field_.empty() && isBlank(field_.back())) field_.pop_back();
    }
    consumeDelimiter();
    field = decode();
    if (!quoted) field = trimInvisible(field);
    out = field;
    last_ = field;
    return true;
}

// The next unit, or -1 at the end of the file (Ctrl+Z included).
inline int FieldReader::peek() {
    if (units_.pos == units_.len && !refill()) return -1;
    const char16_t u = units_.data()[units_.pos];
    if (u == CtrlZ) {
        units_.endAt(units_.pos);
        return -1;
    }
    return u;
}

// The next chunk over this one, the last field kept first if it lies there. (std::less: the
// last field may lie in another buffer, and only it orders any pointers.)
bool FieldReader::refill(std::size_t keep) {
    if (!units_.more()) return false;
    const std::less<const char16_t*> before;
    const char16_t* data = units_.data();
    if (!before(last_.utf16(), data) && before(last_.utf16(), data + UnitStream::ChunkBytes)) {
        kept_.assign(last_.utf16(), std::size_t(last_.size()));
        last_ = QStringView(kept_.data(), qsizetype(kept_.size()));
    }
    return units_.refill(keep);
}

// Past the blanks and byte order marks before a field (a file joined to another brings its
// mark along); returns the first unit of the field, or -1 at the end of the file.
inline int FieldReader::skipLeading() {
    for (;;) {
        const int u = peek();
        if (u < 0) return u;
        if (isBlank(char16_t(u)) || u == ByteOrderMark) {
            ++units_.pos;
        } else if (units_.bytes() && u == 0xEF && startsUtf8Mark()) {
            units_.pos += 3;  // the mark in UTF-8, whatever the rest of the field turns out to be
        } else {
            return u;
        }
    }
}

// Whether the bytes at the cursor are EF BB BF. A mark split by the end of the buffer is read
// whole: its first bytes go back to be read again with the next chunk.
bool FieldReader::startsUtf8Mark() {
    static constexpr char16_t mark[3] = {0xEF, 0xBB, 0xBF};
    for (;;) {
        const std::size_t left = std::min<std::size_t>(units_.len - units_.pos, 3);
        const char16_t* at = units_.data() + units_.pos;
        if (!std::equal(at, at + left, mark)) return false;
        if (left == 3) return true;
        if (!refill(left)) return false;
    }
}

// Nearly every field of a big list is short, unquoted and lies wholly in the buffer, with its
// delimiter: then it is handed out where it lies. False, with nothing taken, for any other.
inline bool FieldReader::takeWhole(QStringView& field) {
    // Only bytes above 0x7F need a field decoded as a whole, and a chunk of plain ASCII, as
    // nearly all are, has none to look for.
    const bool mayNeedDecoding = units_.bytes() && !units_.chunkAscii();
    char16_t seen = 0;
    std::size_t end = units_.pos;
    for (;; ++end) {
        end = mayNeedDecoding ? nextLowUnit<true>(end, seen) : nextLowUnit<false>(end, seen);
        const char16_t u = units_.data()[end];
        if (u == CtrlZ || endsField(u)) break;
    }
    if (end == units_.len || units_.data()[end] == CtrlZ) return false;
    if (seen >= 0x80) return false;  // to be decoded as a whole
    std::size_t last = end;
    while (last > units_.pos && isBlank(units_.data()[last - 1])) --last;
    field = QStringView(units_.data() + units_.pos, qsizetype(last - units_.pos));
    // The delimiter is taken without looking past the buffer, which would read the next
    // chunk over the field: the LF of a CRLF split between chunks is skipped next time.
    units_.pos = end + 1;
    if (units_.data()[end] == u'\r') {
        if (units_.pos == units_.len) {
            lfMayFollow_ = true;
        } else if (units_.data()[units_.pos] == u'\n') {
            ++units_.pos;
        }
    }
    return true;
}

// From `i` on, the first unit that sorts at or below the comma, as Ctrl+Z and every delimiter
// do and letters never do; the units passed over are ORed into `seen`. The sentinel after the
// buffer's last unit ends the search. Four units at a time where they lie in memory in order.
template <bool TrackSeen>
inline std::size_t FieldReader::nextLowUnit(std::size_t i, char16_t& seen) const {
    const char16_t* u = units_.data();
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t ones = 0x0001000100010001u, highs = 0x8000800080008000u;
        std::uint64_t passed = 0;
        for (;; i += 4) {
            std::uint64_t w;
            std::memcpy(&w, u + i, sizeof w);
            // The lowest lane flagged here is the first unit below the comma + 1 (borrows
            // only run upwards, from a lane that is itself below).
            const std::uint64_t low = (w - ones * (u',' + 1)) & ~w & highs;
            if (low) {
                const int lane = std::countr_zero(low) / 16;
                if constexpr (TrackSeen) passed |= w & ((std::uint64_t(1) << (16 * lane)) - 1);
                i += std::size_t(lane);
                break;
            }
            if constexpr (TrackSeen) passed |= w;
        }
        if constexpr (TrackSeen) {
            passed |= passed >> 32;
            passed |= passed >> 16;
            seen |= char16_t(passed);
        }
    } else {
        for (; u[i] > u','; ++i) seen |= u[i];
    }
    return i;
}

template <class Stop>
void FieldReader::takeUntil(Stop stop) {
    for (;;) {
        if (units_.pos == units_.len && !refill()) return;
        const std::size_t begin = units_.pos;
        char16_t seen = 0;
        while (units_.pos < units_.len) {
            const char16_t u = units_.data()[units_.pos];
            if (u == CtrlZ || stop(u)) break;
            seen |= u;
            ++units_.pos;
        }
        field_.append(units_.data() + begin, units_.pos - begin);
        if (seen >= 0x80) ascii_ = false;
        if (units_.pos < units_.len) {
            if (units_.data()[units_.pos] == CtrlZ) {
                units_.endAt(units_.pos);
            }
            return;
        }
    }
}

void FieldReader::consumeDelimiter() {
    const int u = peek();
    if (u == u',' || u == u'\n') {
        ++units_.pos;
    } else if (u == u'\r') {
        ++units_.pos;
        if (peek() == u'\n') ++units_.pos;
    }
}

QStringView FieldReader::decode() {
    const std::size_t n = field_.size();
    if (!units_.bytes() || ascii_) return QStringView(field_.data(), qsizetype(n));
    bytes_.resize(n);
    for (std::size_t i = 0; i < n; ++i) bytes_[i] = static_cast<unsigned char>(field_[i]);
    if (isValidUtf8(bytes_.data(), n)) {
        decoded_ = QString::fromUtf8(reinterpret_cast<const char*>(bytes_.data()), qsizetype(n));
        return decoded_;
    }
    decoded_.resize(qsizetype(n));
    auto* d = reinterpret_cast<char16_t*>(decoded_.data());
    for (std::size_t i = 0; i < n; ++i) {
        d[i] = app::cp1252::toUnicode(bytes_[i]);
    }
    return decoded_;
}

}  // namespace wordstore
