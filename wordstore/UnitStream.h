// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <vector>

namespace wordstore {

class ByteSource;

// A word file as 16-bit code units, a chunk at a time: the bytes as they are, each widened to a
// unit (a field's bytes are decoded as UTF-8 or Windows-1252 once it is whole), or the file's
// UTF-16 after a byte order mark saying so. A UTF-8 mark is passed over.
//
// The units of the chunk read last lie in `data()` from 0 to `len`, with a sentinel line end
// after them; the reader of the fields moves `pos` along them and asks for the next chunk,
// which goes over this one, once it has taken everything up to `len`.
class UnitStream {
  public:
    // Reads the start of the file: the mark, then the first chunk.
    explicit UnitStream(ByteSource& source);

    const char16_t* data() const { return units_.data(); }
    std::size_t pos = 0;
    std::size_t len = 0;

    // Whether the units are the file's bytes (not UTF-16).
    bool bytes() const { return mode_ == Mode::Bytes; }
    // Of a file of bytes: no byte of this chunk is above 0x7F.
    bool chunkAscii() const { return chunkAscii_; }

    // The next chunk over this one; false at the end of the file. The last `keep` units of this
    // chunk (bytes only, a few at most) are read again at the start of the next.
    bool refill(std::size_t keep = 0);
    // The file ends at `at` of this chunk (a Ctrl+Z there): nothing after it is read.
    void endAt(std::size_t at) {
        len = at;
        ended_ = true;
    }
    bool more() const { return !ended_ && !sourceDone_; }

    // Bytes of the file read into a chunk at most, and so units a chunk holds at most (a byte
    // widens to one unit, two of UTF-16 make one).
    static constexpr std::size_t ChunkBytes = 64 * 1024;

  private:
    enum class Mode { Bytes, Utf16LE, Utf16BE };

    void fillRaw(std::size_t keep, std::size_t atLeast);
    void convert();

    ByteSource& source_;
    Mode mode_ = Mode::Bytes;
    std::vector<char> raw_;
    std::size_t rawLen_ = 0;
    std::size_t rawPos_ = 0;
    bool sourceDone_ = false;
    bool ended_ = false;
    // Sized once: a view into it stays where it is until the next chunk is read over it.
    std::vector<char16_t> units_;
    bool chunkAscii_ = true;
};

}  // namespace wordstore
