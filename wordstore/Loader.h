// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace app {
class FrmMain;
}

namespace wordstore {

class ByteSource;

inline const QString WordFileName = QStringLiteral("Words.txt");

// The word file beside the program.
QString wordFilePath(const QString& programDir);

// The pool (1..6) a word of this many characters goes to, or 0 for none: 12 and 13 characters
// reach no pool. Here, to be inlined: it is asked once for every word of the file.
constexpr int poolFor(qsizetype length) {
    // Six independent tests, in this order; the ranges do not overlap.
    int pool = 0;
    if (length < 4) pool = 1;
    if (length < 6 && length > 3) pool = 2;
    if (length < 8 && length > 5) pool = 3;
    if (length < 10 && length > 7) pool = 4;
    if (length < 12 && length > 9) pool = 5;
    if (length > 13) pool = 6;
    return pool;
}

// Reads every field of the word file into the pools, lowercased, in file order. Loading traps
// every run-time error: it stops there, the pools keep what was added, and the error's number is
// returned (0 when the whole file was read).
int loadWords(app::FrmMain& form, const QString& path);
int loadWords(app::FrmMain& form, ByteSource& source);

// The start-up message for a missing word file.
QString missingFileMessage();

}  // namespace wordstore
