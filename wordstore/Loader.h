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
// reach no pool.
int poolFor(qsizetype length);

// Reads every field of the word file into the pools, lowercased, in file order. Loading traps
// every run-time error: it stops there, the pools keep what was added, and the error's number is
// returned (0 when the whole file was read).
int loadWords(app::FrmMain& form, const QString& path);
int loadWords(app::FrmMain& form, ByteSource& source);

// The start-up message for a missing word file.
QString missingFileMessage();

}  // namespace wordstore
