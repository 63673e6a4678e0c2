// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wordstore/ByteSource.h"
#include "wordstore/UnitStream.h"

#include <QString>
#include <QStringView>
#include <cstddef>
#include <string>
#include <vector>

namespace wordstore {

// Splits a word file into fields. A field ends at a comma or a line end (CRLF, LF or CR); blanks
// before a field are skipped and blanks after an unquoted field dropped; a quoted field is taken
// without its quotes and may hold commas; Ctrl+Z ends the file. A UTF-8 or UTF-16 byte order mark
// is honoured (UnitStream); without one a field is read as UTF-8 where it is valid UTF-8, and as
// Windows-1252 otherwise.
// Around an unquoted word, invisible characters go like blanks (no-break and zero-width spaces,
// byte order marks...). Memory stays within a small multiple of the longest field.
class FieldReader {
  public:
    explicit FieldReader(ByteSource& source) : units_(source) {}

    // The next field, or false once the file has no more. The view points into the reader's
    // buffers and is good until the next call; `last` keeps the last field for longer.
    bool next(QStringView& field);
    // The last field read, good until another is read.
    QStringView last() const { return last_; }

  private:
    int peek();
    bool refill(std::size_t keep = 0);
    int skipLeading();
    bool startsUtf8Mark();
    bool takeWhole(QStringView& field);
    template <bool TrackSeen>
    std::size_t nextLowUnit(std::size_t i, char16_t& seen) const;
    template <class Stop>
    void takeUntil(Stop stop);
    void consumeDelimiter();
    QStringView decode();

    UnitStream units_;
    bool lfMayFollow_ = false;  // the last field ended at a CR at the end of the buffer

    std::u16string field_;  // a field taken piece by piece, before decoding
    bool ascii_ = true;
    std::vector<unsigned char> bytes_;
    QString decoded_;

    QStringView last_;
    std::u16string kept_;  // the last field, when the buffer it lay in was read over
};

}  // namespace wordstore
