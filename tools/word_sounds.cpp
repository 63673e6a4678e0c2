// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a learner would hear of each word of a word list: the list read as the game reads it, and
// each word as the game's voice says it. scripts/check-words holds these against the dictionaries.
//   word_sounds FILE
// prints, for every field of FILE in file order, a line of three tab-separated columns: the level
// the word goes to (0 for none), the word lowercased as the game stores it, and the voice's phones
// for it ("-" for a word that is not all a..z).
#include "runtime/RuntimeError.h"
#include "speech/FliteSynth.h"
#include "wordstore/ByteSource.h"
#include "wordstore/FieldReader.h"
#include "wordstore/Loader.h"

#include <QString>
#include <QTextStream>
#include <cstdio>

namespace {

bool plainLetters(const QString& word) {
    if (word.isEmpty()) return false;
    for (QChar c : word)
        if (c < u'a' || c > u'z') return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: word_sounds FILE\n", stderr);
        return 2;
    }
    QTextStream out(stdout);
    try {
        wordstore::FileSource file(QString::fromLocal8Bit(argv[1]));
        wordstore::FieldReader reader(file);
        QStringView field;
        while (reader.next(field)) {
            QString word = field.toString().toLower();
            const int level = wordstore::poolFor(word.size());
            const QString phones = plainLetters(word)
                                       ? speech::FliteSynth::pronounce(word).join(u' ')
                                       : QStringLiteral("-");
            // A quoted field may hold what would break the columns.
            for (QChar& c : word)
                if (c == u'\t' || c == u'\n' || c == u'\r') c = QChar::ReplacementCharacter;
            out << level << '\t' << word << '\t' << phones << '\n';
        }
    } catch (const runtime::RuntimeError& e) {
        out.flush();
        std::fprintf(stderr, "word_sounds: %s: %s\n", argv[1], qPrintable(e.description()));
        return 2;
    }
    return 0;
}
