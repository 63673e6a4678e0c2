// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile word files, each with the result it must give: the files under tests/hostile, plus
// a few too big to keep in the repository, made here.
#include "support/Recorders.h"
#include "support/TempDir.h"
#include "wordstore/Loader.h"

#include <gtest/gtest.h>
#include <QFile>
#include <map>

using namespace testsupport;
using namespace Qt::StringLiterals;

namespace {

using Pools = std::map<int, QStringList>;  // level -> words; levels left out are empty

Pools loadPools(const QString& path, int* error = nullptr) {
    RecordedForm g;
    const int e = wordstore::loadWords(g.form, path);
    if (error) *error = e;
    Pools pools;
    for (int level = 1; level <= 6; ++level) pools[level] = itemsOf(g.form.Pool(level));
    return pools;
}

QString hostile(const char* name) {
    return QStringLiteral(ORTHOVANE_HOSTILE_DIR "/") + QString::fromLatin1(name);
}

}  // namespace

TEST(HostileWordFiles, EachGivesItsResult) {
    const QString e;  // the empty word
    const std::vector<std::pair<const char*, Pools>> cases = {
        {"empty.txt", {}},
        {"only-commas.txt", {{1, {e, e, e, e}}}},
        {"only-blank-lines.txt", {{1, {e, e, e}}}},
        {"cr-only.txt", {{1, {"cat", "dog", "sun"}}}},
        {"lf-only.txt", {{1, {"cat", "dog", "sun"}}}},
        {"crlf.txt", {{1, {"cat", "dog", "sun"}}}},
        {"mixed-line-ends.txt", {{1, {"cat", "dog", "sun", "hat", e}}}},
        {"utf8-bom.txt", {{2, {u"café"_s}}, {3, {u"zürich"_s}}}},
        {"utf16le-bom.txt", {{2, {u"café"_s}}, {3, {u"straße"_s}}}},
        {"utf16be-bom.txt", {{2, {u"café"_s}}, {3, {u"straße"_s}}}},
        {"utf16-odd-length.txt", {{1, {"cat", "dog"}}}},
        // Not UTF-8, so read as Windows-1252, byte for character.
        {"invalid-utf8.txt", {{2, {u"í\u00a0€x"_s, u"øˆ€€€"_s}}, {3, {u"abã(cd"_s}}}},
        {"windows-1252.txt", {{2, {u"café"_s, u"naïve"_s}}, {3, {u"“quote”"_s}}}},
        {"nul-bytes.txt",
         {{1, {QString(QChar(0)), "dog"}}, {2, {QStringLiteral("ca") + QChar(0) + "t"}}}},
        {"ctrl-z-middle.txt", {{1, {"cat", "dog"}}}},
        {"unterminated-quote.txt", {{1, {"cat"}}, {5, {"dog,sun\nhat"}}}},
        {"quote-inside-field.txt", {{1, {"dog", e}}, {2, {"it\"s", "x\"y\"z"}}}},
        // No-break, zero-width and ideographic spaces and a byte order mark around the words go;
        // the one inside "ice cream" stays.
        {"copied-from-the-web.txt",
         {{1, {"cow", e}},
          {2, {"horse"}},
          {3, {"giraffe"}},
          {4, {"elephant", u"ice\u00a0cream"_s}}}},
        {"markup-and-escapes.txt",
         {{2, {"&amp;", "\x1b[31m"}}, {3, {"<speak>"}}, {5, {"[[h@l'ou]]"}}}},
    };
    for (const auto& [name, expected] : cases) {
        int error = -1;
        const Pools got = loadPools(hostile(name), &error);
        EXPECT_EQ(error, 0) << name;
        for (int level = 1; level <= 6; ++level) {
            const auto want = expected.count(level) ? expected.at(level) : QStringList();
            const auto have = got.count(level) ? got.at(level) : QStringList();
            EXPECT_EQ(have, want) << name << " level " << level;
        }
    }
}

TEST(HostileWordFiles, AHundredMegabyteFieldIsOneLevel6Word) {
    TempDir dir;
    const qsizetype size = 100 * 1024 * 1024;
    {
        QFile f(dir.path("Words.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray block(1 << 20, 'Q');
        for (qsizetype i = 0; i < size / block.size(); ++i) f.write(block);
    }
    RecordedForm g;
    EXPECT_EQ(wordstore::loadWords(g.form, dir.path("Words.txt")), 0);
    ASSERT_EQ(g.form.List6.ListCount(), 1);
    EXPECT_EQ(g.form.List6.ItemView(0).size(), size);
    EXPECT_EQ(g.form.List6.ItemView(0).front(), u'q');
}

TEST(HostileWordFiles, TenMillionOneLetterFieldsAllReachLevel1) {
    TempDir dir;
    {
        QFile f(dir.path("Words.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray block;
        for (int i = 0; i < 1'000'000; ++i) block += i % 2 ? "b," : "A\n";
        for (int i = 0; i < 10; ++i) f.write(block);
    }
    RecordedForm g;
    EXPECT_EQ(wordstore::loadWords(g.form, dir.path("Words.txt")), 0);
    ASSERT_EQ(g.form.List1.ListCount(), 10'000'000);
    EXPECT_EQ(g.form.List1.List(0), "a");
    EXPECT_EQ(g.form.List1.List(9'999'999), "b");
}
