// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "wordstore/UnitStream.h"

#include "wordstore/ByteSource.h"

#include <algorithm>

namespace wordstore {

namespace {
// Room after the buffer's last unit for a sentinel and for reading four units at a time.
constexpr std::size_t Sentinel = 4;
}  // namespace

UnitStream::UnitStream(ByteSource& source) : source_(source) {
    raw_.resize(ChunkBytes);
    units_.resize(ChunkBytes + Sentinel);
    fillRaw(0, 3);  // enough to see a byte order mark
    const auto* b = reinterpret_cast<const unsigned char*>(raw_.data());
    std::size_t skip = 0;
    if (rawLen_ >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        skip = 3;
    } else if (rawLen_ >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        skip = 2;
        mode_ = Mode::Utf16LE;
    } else if (rawLen_ >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        skip = 2;
        mode_ = Mode::Utf16BE;
    }
    rawPos_ = skip;
    convert();
}

bool UnitStream::refill(std::size_t keep) {
    if (!more()) return false;
    // The chunk's bytes lie at the end of the raw buffer: the kept units are its last bytes.
    if (mode_ == Mode::Bytes) rawPos_ = rawLen_ - std::min(keep, len);
    // What is carried over: the kept bytes, or a trailing half unit of UTF-16.
    const std::size_t carry = rawLen_ - rawPos_;
    if (carry > 0)
        std::copy(raw_.begin() + long(rawPos_), raw_.begin() + long(rawLen_), raw_.begin());
    fillRaw(carry, mode_ == Mode::Bytes ? carry + 1 : 2);
    rawPos_ = 0;
    convert();
    return len > 0;
}

// Reads at least `atLeast` bytes in all (or to the end of the file); one read usually brings a
// whole chunk.
void UnitStream::fillRaw(std::size_t keep, std::size_t atLeast) {
    rawLen_ = keep;
    while (rawLen_ < atLeast) {
        const std::size_t n = source_.read(raw_.data() + rawLen_, raw_.size() - rawLen_);
        if (n == 0) {
            sourceDone_ = true;
            break;
        }
        rawLen_ += n;
    }
}

void UnitStream::convert() {
    const auto* b = reinterpret_cast<const unsigned char*>(raw_.data());
    pos = 0;
    if (mode_ == Mode::Bytes) {
        len = rawLen_ - rawPos_;
        unsigned char all = 0;
        for (std::size_t i = 0; i < len; ++i) {
            units_[i] = b[rawPos_ + i];
            all |= b[rawPos_ + i];
        }
        chunkAscii_ = all < 0x80;
        rawPos_ = rawLen_;
    } else {
        len = (rawLen_ - rawPos_) / 2;
        const bool le = mode_ == Mode::Utf16LE;
        for (std::size_t i = 0; i < len; ++i) {
            const unsigned char x = b[rawPos_ + 2 * i], y = b[rawPos_ + 2 * i + 1];
            units_[i] = le ? char16_t(x | (y << 8)) : char16_t((x << 8) | y);
        }
        rawPos_ += 2 * len;
        // An odd last byte at the very end of the file is no character.
        if (sourceDone_) rawPos_ = rawLen_;
    }
    units_[len] = u'\n';
}

}  // namespace wordstore
