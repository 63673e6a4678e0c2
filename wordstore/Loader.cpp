// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "wordstore/Loader.h"

#include "app/Controls.h"
#include "app/FrmMain.h"
#include "app/GameState.h"
#include "runtime/RuntimeError.h"
#include "wordstore/WordFile.h"

#include <QStringView>
#include <cstddef>
#include <new>
#include <vector>

namespace wordstore {

QString wordFilePath(const QString& programDir) { return programDir + u'/' + WordFileName; }

int poolFor(qsizetype length) {
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

namespace {

// Into a buffer that is reused from word to word: most of a big list is plain ASCII, and a
// QString per word would cost more than the rest of the load.
QStringView lowerAsciiInto(const QString& word, std::vector<char16_t>& out) {
    const qsizetype n = word.size();
    if (out.size() < std::size_t(n)) out.resize(std::size_t(n) * 2);
    const QChar* s = word.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i].unicode();
        out[std::size_t(i)] = char16_t(c >= u'A' && c <= u'Z' ? c + 32 : c);
    }
    return QStringView(out.data(), n);
}

}  // namespace

int loadWords(app::FrmMain& form, ByteSource& source) {
    auto& state = form.state;
    try {
        FieldReader reader(source);
        std::vector<char16_t> lowerAscii;
        app::ListBox* pools[7] = {nullptr};
        for (int level = 1; level <= 6; ++level) pools[level] = &form.Pool(level);
        while (reader.next(state.FileWord)) {
            const int pool = poolFor(state.FileWord.size());
            if (pool == 0) continue;
            if (reader.lastWasAscii()) {
                pools[pool]->AddItem(lowerAsciiInto(state.FileWord, lowerAscii));
            } else {
                pools[pool]->AddItem(state.FileWord.toLower());
            }
        }
    } catch (const ::runtime::RuntimeError& e) {
        return e.number();
    } catch (const std::bad_alloc&) {
        // A word list too big for memory: keep what fits and play with that.
        return ::runtime::Err::OutOfMemory;
    }
    return 0;
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
