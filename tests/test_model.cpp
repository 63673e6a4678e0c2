// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The window model: the design's controls, the game state's checks, and the generator.
#include "support/Recorders.h"

#include <gtest/gtest.h>
#include <array>
#include <set>

using namespace testsupport;

TEST(WindowModel, StartsInTheDesignLayout) {
    RecordedForm g;
    auto& f = g.form;
    EXPECT_EQ(f.Me.Caption(), "Orthovane");
    EXPECT_EQ(f.Me.ClientWidth(), 10710);
    EXPECT_EQ(f.Me.ClientHeight(), 930);
    EXPECT_EQ(f.Label1.Caption(), "Level 1");
    EXPECT_EQ(f.Label1.ToolTip(), " Click To Changle Level ");
    EXPECT_TRUE(f.Label1.Enabled());
    EXPECT_TRUE(f.ComStart.Visible());
    EXPECT_FALSE(f.ComStop.Visible());
    EXPECT_FALSE(f.ComSayAgain.Visible());
    EXPECT_FALSE(f.List7.Visible());
    EXPECT_TRUE(f.inputbox.Enabled());
    EXPECT_EQ(f.ComStart.Caption(), "Start");
    EXPECT_EQ(f.ComStop.Caption(), "Stop");
    EXPECT_EQ(f.ComSayAgain.Caption(), "Say Again");
    // Start and Stop take turns in one place.
    EXPECT_EQ(f.ComStart.Rect().left, f.ComStop.Rect().left);
    EXPECT_EQ(f.ComStart.Rect().top, f.ComStop.Rect().top);
    EXPECT_EQ(f.ComStart.Rect().width, f.ComStop.Rect().width);
    for (int level = 1; level <= 6; ++level) {
        EXPECT_FALSE(f.Pool(level).Visible());
        EXPECT_EQ(f.Pool(level).ListCount(), 0);
        EXPECT_EQ(f.Pool(level).Name(), QStringLiteral("List%1").arg(level));
    }
}

TEST(WindowModel, ControlsKeepTheDesignOrderAndTabIndices) {
    RecordedForm g;
    QStringList names;
    std::set<int> tabs;
    for (auto* c : g.form.Controls()) {
        names << c->Name();
        tabs.insert(c->TabIndex());
    }
    EXPECT_EQ(names,
              QStringList({"ComStop", "List7", "ComSayAgain", "ComStart", "inputbox", "List6",
                           "List5", "List4", "List3", "List2", "List1", "Label2", "Label1"}));
    EXPECT_EQ(tabs.size(), 13u);
    EXPECT_EQ(g.form.inputbox.TabIndex(), 7);
    EXPECT_EQ(g.form.inputbox.Font().points, 12);
    EXPECT_TRUE(g.form.Label1.Font().bold);
}

TEST(ControlOperations, BehaveAsTheGameReliesOnThem) {
    RecordedForm g;
    auto& list = g.form.List7;
    list.AddItem(u"one");
    list.AddItem(u"two");
    EXPECT_EQ(list.ListCount(), 2);
    EXPECT_EQ(list.List(1), "two");
    EXPECT_EQ(list.List(2), "");  // past the last line
    EXPECT_EQ(list.List(-1), "");
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);

    int clicks = 0;
    g.form.Label1.onClick = [&] { ++clicks; };
    g.form.Label1.setEnabled(false);
    g.form.Label1.Click();
    EXPECT_EQ(clicks, 0);
    g.form.Label1.setEnabled(true);
    g.form.Label1.Click();
    EXPECT_EQ(clicks, 1);

    int starts = 0;
    g.form.ComStop.onClick = [&] { ++starts; };
    g.form.ComStop.Click();  // hidden
    EXPECT_EQ(starts, 0);

    g.form.inputbox.setEnabled(false);
    EXPECT_EQ(g.form.inputbox.KeyPress('a'), 0);
}

TEST(ControlOperations, PastedTextPassesTheKeyFilterAndNeverSubmits) {
    RecordedForm g;
    EXPECT_EQ(g.form.inputbox.Admit(u"Hello, World!\r\n42 it's"), "helloworldits");
    EXPECT_TRUE(g.journal.spoken().isEmpty());
}

TEST(GameState, CountersOverflowAndSlotsAreChecked) {
    app::Counter16 c;
    for (int i = 0; i < 32767; ++i) c.increment();
    EXPECT_EQ(c.value(), 32767);
    try {
        c.increment();
        FAIL() << "no overflow";
    } catch (const ::runtime::RuntimeError& e) {
        EXPECT_EQ(e.number(), 6);
        EXPECT_EQ(e.description(), "Overflow");
    }
    app::LevelWordSlots level;
    level(9) = QStringLiteral("last");
    EXPECT_EQ(level(9), "last");
    for (int bad : {-1, 10}) {
        try {
            (void)level(bad);
            FAIL() << "slot " << bad;
        } catch (const ::runtime::RuntimeError& e) {
            EXPECT_EQ(e.number(), 9);
        }
    }
}

TEST(WindowGeometry, RefusesTooSmallSizesAndAnyChangeWhileMinimized) {
    RecordedForm g;
    auto& me = g.form.Me;
    const float w = me.Width();
    EXPECT_THROW(me.setWidth(app::Window::MinWidth - 1), ::runtime::RuntimeError);
    EXPECT_EQ(me.Width(), w);
    me.setMinimized(true);
    try {
        me.setTop(100);
        FAIL();
    } catch (const ::runtime::RuntimeError& e) {
        EXPECT_EQ(e.number(), 384);
    }
}

TEST(Generator, IsUniformAndReseedingDoesNotRestartIt) {
    ::runtime::MixingRandom r(7);
    std::array<int, 10> buckets{};
    for (int i = 0; i < 100000; ++i) {
        const float x = r.Rnd();
        ASSERT_GE(x, 0.0f);
        ASSERT_LT(x, 1.0f);
        ++buckets[std::size_t(x * 10)];
    }
    double chi = 0;
    for (int b : buckets) chi += (b - 10000.0) * (b - 10000.0) / 10000.0;
    EXPECT_LT(chi, 27.9);  // 9 degrees of freedom, p = 0.001

    std::set<float> afterSameSeed;
    for (int i = 0; i < 50; ++i) {
        r.Randomize(43200);
        afterSameSeed.insert(r.Rnd());
    }
    EXPECT_GT(afterSameSeed.size(), 45u);
}
