// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The word file loader on real files: delimiters, line ends, quotes, encodings, length bands and
// the ways opening can fail.
#include "support/Recorders.h"
#include "support/TempDir.h"
#include "wordstore/FieldReader.h"
#include "wordstore/Loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <limits>

using namespace testsupport;
using namespace Qt::StringLiterals;

namespace {

QStringList pool(const app::FrmMain& f, int level) { return itemsOf(f.Pool(level)); }

struct Loaded {
    RecordedForm g;
    int error = -1;
    QStringList all() const {
        QStringList out;
        for (int level = 1; level <= 6; ++level) out += pool(g.form, level);
        return out;
    }
};

std::unique_ptr<Loaded> load(const QByteArray& bytes) {
    TempDir dir;
    auto l = std::make_unique<Loaded>();
    l->error = wordstore::loadWords(l->g.form, dir.write("Words.txt", bytes));
    return l;
}

// Bytes in small reads, so fields and line ends straddle the buffer's refills.
struct Source : wordstore::ByteSource {
    QByteArray b;
    std::size_t hint = 0;
    qsizetype at = 0;
    std::size_t read(char* buf, std::size_t cap) override {
        const auto n = std::min<qsizetype>({qsizetype(cap), b.size() - at, 3});
        std::memcpy(buf, b.constData() + at, std::size_t(n));
        at += n;
        return std::size_t(n);
    }
    std::size_t sizeHint() const override { return hint; }
};

QStringList fields(const QByteArray& bytes) {
    Source src;
    src.b = bytes;
    wordstore::FieldReader reader(src);
    QStringList out;
    QStringView f;
    while (reader.next(f)) out << f.toString();
    // Reading on to the end reads chunks over the buffer the last field lay in.
    EXPECT_EQ(reader.last().toString(), out.isEmpty() ? QString() : out.back());
    return out;
}

}  // namespace

TEST(WordFile, FieldsEndAtCommasAndEveryKindOfLineEnd) {
    EXPECT_EQ(fields("cat\r\ndog\nsun\rhat"), QStringList({"cat", "dog", "sun", "hat"}));
    EXPECT_EQ(fields("cat,dog, sun ,hat\r\n"), QStringList({"cat", "dog", "sun", "hat"}));
    // A blank line, like two commas in a row, is an empty field; the last line end makes none.
    EXPECT_EQ(fields("cat\n\ndog\n"), QStringList({"cat", "", "dog"}));
    EXPECT_EQ(fields("cat,,dog"), QStringList({"cat", "", "dog"}));
    EXPECT_EQ(fields("\r\n\r\n"), QStringList({"", ""}));
    EXPECT_EQ(fields(""), QStringList());
    EXPECT_EQ(fields("   \t"), QStringList());
}

TEST(WordFile, QuotesGroupAndCtrlZEnds) {
    EXPECT_EQ(fields("\"ice, cream\",\"dog\"\r\n\"  sun  \"x,hat"),
              QStringList({"ice, cream", "dog", "  sun  ", "hat"}));
    EXPECT_EQ(fields("\"never closed, at all\n"), QStringList({"never closed, at all\n"}));
    EXPECT_EQ(fields("it\"s,dog"), QStringList({"it\"s", "dog"}));
    EXPECT_EQ(fields("cat\ndog\x1Asun\nhat"), QStringList({"cat", "dog"}));
}

TEST(WordFile, HonoursByteOrderMarksAndFallsBackToWindows1252) {
    EXPECT_EQ(fields("\xEF\xBB\xBF"
                     "caf\xC3\xA9\n"),
              QStringList({u"café"_s}));
    EXPECT_EQ(fields(QByteArray("\xFF\xFE"
                                "c\0a\0t\0,\0d\0o\0g\0\r\0\n\0",
                                20)),
              QStringList({"cat", "dog"}));
    EXPECT_EQ(fields(QByteArray("\xFE\xFF\0c\0a\0t\0\n\0s\0u\0n", 16)),
              QStringList({"cat", "sun"}));
    // Without a mark: UTF-8 where the field is valid UTF-8, Windows-1252 where it is not.
    EXPECT_EQ(fields("na\xC3\xAFve\nna\xEFve\n\x93quote\x94"),
              QStringList({u"naïve"_s, u"naïve"_s, u"\u201Cquote\u201D"_s}));
}

TEST(WordFile, InvisibleCharactersAroundAWordGoLikeBlanks) {
    // No-break, zero-width and ideographic spaces, word joiners and byte order marks, as lists
    // copied from web pages and word processors have them; inside a word they stay.
    EXPECT_EQ(fields("cow\xC2\xA0\n\xE2\x80\x8B"
                     "cat\xE3\x80\x80,\xE2\x81\xA0"
                     "dog\xEF\xBB\xBF\n"
                     "co\xC2\xA0w\n\xC2\xA0\xE2\x80\x8B\n"),
              QStringList({"cow", "cat", "dog", u"co\u00A0w"_s, ""}));
    // Windows-1252's no-break space, in a file that is not UTF-8.
    EXPECT_EQ(fields("cow\xA0\r\n\xA0"
                     "caf\xE9\xA0\r\n"),
              QStringList({"cow", u"café"_s}));
    EXPECT_EQ(fields(QByteArray("\xFF\xFE"
                                "c\0o\0w\0\xA0\0\n\0"
                                "\xFF\xFE"
                                "s\0u\0n\0",
                                20)),
              QStringList({"cow", "sun"}));
    // A byte order mark where a file was joined to another is no part of the next field, quoted
    // or not; inside quotes a field is kept as it stands.
    EXPECT_EQ(fields("cat\n\xEF\xBB\xBF\"ice, cream\"\n\xEF\xBB\xBF"
                     "d\xF6g\n\"\xC2\xA0sun\"\n"),
              QStringList({"cat", "ice, cream", u"d\u00F6g"_s, u"\u00A0sun"_s}));
}

TEST(WordPools, AWordWithANoBreakSpaceIsItsOwnLengthAndAnsweredRight) {
    auto l = load("cow\xC2\xA0\n");
    EXPECT_EQ(pool(l->g.form, 1), QStringList({"cow"}));
    l->g.commands.ComStart_Click();
    l->g.answer("cow");
    EXPECT_EQ(l->g.results(), QStringList({"cow  cow  Correct"}));
}

TEST(WordPools, SortWordsByLengthLowercasedInFileOrder) {
    auto l = load(
        "Apple\ndog\nDOG\nabcdefghijkl\nabcdefghijklm\nabcdefghijklmn\nbee\n"
        "abcdefghijk\nhouses\n\nit's\n");
    EXPECT_EQ(l->error, 0);
    EXPECT_EQ(pool(l->g.form, 1), QStringList({"dog", "dog", "bee", ""}));
    EXPECT_EQ(pool(l->g.form, 2), QStringList({"apple", "it's"}));
    EXPECT_EQ(pool(l->g.form, 3), QStringList({"houses"}));
    EXPECT_EQ(pool(l->g.form, 5), QStringList({"abcdefghijk"}));
    // 12 and 13 characters reach no pool.
    EXPECT_EQ(pool(l->g.form, 6), QStringList({"abcdefghijklmn"}));
    EXPECT_EQ(l->g.form.state.FileWord, "it's");
}

TEST(WordPools, LengthBoundariesFollowTheSixTests) {
    const std::vector<std::pair<int, int>> expected = {{0, 1},  {3, 1},  {4, 2},  {5, 2},  {6, 3},
                                                       {7, 3},  {8, 4},  {9, 4},  {10, 5}, {11, 5},
                                                       {12, 0}, {13, 0}, {14, 6}, {100, 6}};
    for (auto [length, level] : expected) EXPECT_EQ(wordstore::poolFor(length), level) << length;
}

TEST(WordPools, UnicodeWordsAreLowercasedAndMeasuredIn16BitCharacters) {
    auto l = load("\xC3\x84PFEL\n\xF0\x9F\x90\xB6\n");  // ÄPFEL, then a dog emoji (2 units)
    EXPECT_EQ(pool(l->g.form, 2), QStringList({u"äpfel"_s}));
    EXPECT_EQ(pool(l->g.form, 1), QStringList({u"\U0001F436"_s}));
}

TEST(WordPools, OnlyCapitalsChangeWhereverTheyStand) {
    // The neighbours of A and Z in ASCII stay; a non-ASCII letter anywhere sends the whole word
    // through Unicode's rules.
    auto l = load(
        "@AZ[`az{\nXY@[ZA\nABCDEFG\xC3\x89\n\xC3\x89"
        "BCDEFGH\n");
    EXPECT_EQ(pool(l->g.form, 3), QStringList({"xy@[za"}));
    EXPECT_EQ(pool(l->g.form, 4), QStringList({"@az[`az{", u"abcdefgé"_s, u"ébcdefgh"_s}));
}

TEST(WordPools, EmptyFileGivesEmptyPools) {
    auto l = load("");
    EXPECT_EQ(l->error, 0);
    EXPECT_TRUE(l->all().isEmpty());
}

TEST(WordPools, OpeningFailuresGiveTheirErrorNumbers) {
    TempDir dir;
    RecordedForm g;
    EXPECT_EQ(wordstore::loadWords(g.form, dir.path("Words.txt")), 53);
    ::mkdir(qPrintable(dir.path("dir")), 0700);
    ::mkdir(qPrintable(dir.path("dir/Words.txt")), 0700);
    EXPECT_EQ(wordstore::loadWords(g.form, dir.path("dir/Words.txt")), 75);
    ::mkfifo(qPrintable(dir.path("fifo")), 0600);
    EXPECT_EQ(wordstore::loadWords(g.form, dir.path("fifo")), 75);  // refused, not waited on
    ASSERT_EQ(::symlink(qPrintable(dir.path("nowhere")), qPrintable(dir.path("dangling"))), 0);
    EXPECT_EQ(wordstore::loadWords(g.form, dir.path("dangling")), 53);
    ASSERT_EQ(::symlink(qPrintable(dir.path("loop")), qPrintable(dir.path("loop"))), 0);
    EXPECT_EQ(wordstore::loadWords(g.form, dir.path("loop")), 75);
    // Root reads anything, so the refusal is forced at the open call.
    const QString locked = dir.write("locked", "cat\n");
    for (int refusal : {EACCES, EPERM}) {
        static int forced;
        forced = refusal;
        try {
            wordstore::FileSource refused(locked, [](const char*, int) {
                errno = forced;
                return -1;
            });
            ADD_FAILURE() << "opened";
        } catch (const ::runtime::RuntimeError& e) {
            EXPECT_EQ(e.number(), 70);
        }
    }
}

TEST(WordPools, ASizeBeyondAnyMemoryIsOnlyAHint) {
    // A sparse file can claim exabytes; no room can be had for it, and the words still load.
    for (const std::size_t hint : {std::size_t(1) << 44, std::numeric_limits<std::size_t>::max()}) {
        Source src;
        src.b = "dog\ncat\n";
        src.hint = hint;
        RecordedForm g;
        EXPECT_EQ(wordstore::loadWords(g.form, src), 0) << hint;
        EXPECT_EQ(pool(g.form, 1), QStringList({"dog", "cat"}));
    }
}

TEST(WordPools, AFailedReadKeepsTheWordsAddedSoFar) {
    struct Failing : wordstore::ByteSource {
        int calls = 0;
        std::size_t read(char* buf, std::size_t) override {
            if (calls++ > 0) throw ::runtime::RuntimeError(::runtime::Err::DeviceIO);
            std::memcpy(buf, "cat\ndog\nsu", 10);
            return 10;
        }
    } failing;
    RecordedForm g;
    EXPECT_EQ(wordstore::loadWords(g.form, failing), 57);
    EXPECT_EQ(pool(g.form, 1), QStringList({"cat", "dog"}));
}
