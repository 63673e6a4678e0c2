// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The level word draw: the order-statistic bag against a plain list, and the draw's effects on
// the pool and the level's ten words.
#include "game/DrawBag.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>
#include <numeric>
#include <random>

using namespace testsupport;

TEST(DrawBag, PicksTheSameItemForTheSameKAsAPlainList) {
    std::mt19937 gen(1);
    // Sizes around a 64-bit word and around each level of the tree (1,024 and 16,384 items).
    for (int n : {0, 1, 2, 3, 63, 64, 65, 100, 1024, 1025, 16385, 20000}) {
        std::vector<std::uint32_t> reference(static_cast<std::size_t>(n));
        std::iota(reference.begin(), reference.end(), 0);
        game::DrawBag bag{static_cast<std::size_t>(n)};
        while (!reference.empty()) {
            ASSERT_EQ(bag.Count(), reference.size());
            const auto k =
                std::uniform_int_distribution<qsizetype>(1, qsizetype(reference.size()))(gen);
            ASSERT_EQ(bag.Item(std::size_t(k)), reference[std::size_t(k - 1)])
                << "n=" << n << " k=" << k;
            ASSERT_EQ(bag.Take(std::size_t(k)), reference[std::size_t(k - 1)]);
            reference.erase(reference.begin() + (k - 1));
        }
        EXPECT_EQ(bag.Count(), 0u);
    }
}

TEST(StringList, ReorderMovesLinesAndLaterAppendsGoAtTheEnd) {
    app::StringList l;
    for (const char* w : {"", "ab", "c", "def"}) l.append(QString::fromLatin1(w));
    l.reorder({3, 0, 2, 1});
    l.reorder({1, 0, 3, 2});  // a second reorder composes with the first
    l.append(u"gh");
    QStringList out;
    for (qsizetype i = 0; i < l.size(); ++i) out << l.at(i).toString();
    EXPECT_EQ(out, QStringList({"", "def", "ab", "c", "gh"}));
}

TEST(PickLevelWords, ShufflesTheWholePoolAndTakesItsFirstTen) {
    RecordedForm g;
    QStringList words;
    for (int i = 0; i < 25; ++i) words << QStringLiteral("w%1").arg(i);
    g.fillPool(2, words);
    g.commands.rules().PickLevelWords(g.form.List2);
    const QStringList after = itemsOf(g.form.List2);
    EXPECT_NE(after, words);
    QStringList sorted = after;
    sorted.sort();
    QStringList original = words;
    original.sort();
    EXPECT_EQ(sorted, original);  // without replacement: every word once
    for (int i = 0; i < 10; ++i) EXPECT_EQ(g.form.state.LevelWords(i), after.at(i));

    // The next draw shuffles the new order again.
    g.commands.rules().PickLevelWords(g.form.List2);
    EXPECT_NE(itemsOf(g.form.List2), after);
}

TEST(PickLevelWords, ShortAndEmptyPoolsLeaveEmptySlots) {
    RecordedForm g;
    g.commands.rules().PickLevelWords(g.form.List1);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(g.form.state.LevelWords(i), "");

    g.fillPool(1, {"cat", "dog", "sun"});
    g.commands.rules().PickLevelWords(g.form.List1);
    QStringList first3;
    for (int i = 0; i < 3; ++i) first3 << g.form.state.LevelWords(i);
    first3.sort();
    EXPECT_EQ(first3, QStringList({"cat", "dog", "sun"}));
    for (int i = 3; i < 10; ++i) EXPECT_EQ(g.form.state.LevelWords(i), "");
}

TEST(PickLevelWords, ADuplicatedWordCanRepeatOnlyAsOftenAsThePoolHoldsIt) {
    RecordedForm g;
    g.fillPool(1, {"cat", "cat", "dog"});
    g.commands.rules().PickLevelWords(g.form.List1);
    QStringList drawn;
    for (int i = 0; i < 3; ++i) drawn << g.form.state.LevelWords(i);
    EXPECT_EQ(drawn.count("cat"), 2);
    EXPECT_EQ(drawn.count("dog"), 1);
}

TEST(PickLevelWords, ReseedsFromTheClockBeforeEveryDrawYetKeepsMoving) {
    // The clock stands still for the whole draw, as it does within one second.
    RecordedForm a, b;
    a.services.timer = b.services.timer = 3600;
    QStringList words;
    for (int i = 0; i < 200; ++i) words << QString::number(i);
    a.fillPool(3, words);
    b.fillPool(3, words);
    a.commands.rules().PickLevelWords(a.form.List3);
    b.commands.rules().PickLevelWords(b.form.List3);
    // Same generator, same clock: the same order, so the draw is reproducible in tests...
    EXPECT_EQ(itemsOf(a.form.List3), itemsOf(b.form.List3));
    // ...and yet not the identity or a constant pick: the order is well mixed.
    int fixedPoints = 0;
    const QStringList after = itemsOf(a.form.List3);
    for (int i = 0; i < 200; ++i) fixedPoints += after.at(i) == words.at(i);
    EXPECT_LT(fixedPoints, 10);
}
