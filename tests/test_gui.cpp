// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The real widgets, offscreen: what the player sees, types and clicks.
#include "platform/ClickLabel.h"
#include "platform/EntryBox.h"
#include "platform/ErrorReport.h"
#include "support/Recorders.h"
#include "support/ShownWindow.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

using namespace testsupport;
using namespace Qt::StringLiterals;

namespace {

QByteArray starterWords() {
    QByteArray out;
    // Made-up words, so no text of the window can contain one by chance.
    const char* stems[] = {"zqa", "zqxva", "zqxvwa", "zqxvwjka", "zqxvwjkqza", "zqxvwjkqzxqvwa"};
    for (const char* stem : stems) {
        for (char c = 'a'; c < 'a' + 12; ++c) {
            QByteArray w(stem);
            w[w.size() - 1] = c;  // same length, twelve different words
            out += w + "\n";
        }
    }
    return out;
}

// Answers the next modal message box, noting what it said.
struct MessageBoxWatcher {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    void arm() {
        QTimer::singleShot(20, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                title = box->windowTitle();
                icon = box->icon();
                box->accept();
            } else {
                arm();
            }
        });
    }
};

struct Gui : ShownWindow {
    TempDir dir;
    Journal journal;
    RecordingVoice* voice = nullptr;

    explicit Gui(const QByteArray& words = starterWords(), bool withFile = true) : ShownWindow(5) {
        const QString path = withFile ? dir.write("Words.txt", words) : dir.path("Words.txt");
        commands.Form_Load(
            [this] {
                auto v = std::make_unique<RecordingVoice>(journal);
                voice = v.get();
                return v;
            },
            path);
    }
    QString current() const { return form.state.LevelWords(form.state.WordIndex); }
    void typeAnswer(const QString& text) {
        QTest::keyClicks(view.entry(), text);
        QTest::keyClick(view.entry(), Qt::Key_Return);
    }
};

}  // namespace

TEST(Gui, StartsWithTheDesignLayoutAndTheFocusInTheEntryBox) {
    Gui g;
    ASSERT_TRUE(QTest::qWaitForWindowActive(&g.view));
    EXPECT_EQ(g.view.windowTitle(), "Orthovane");
    EXPECT_EQ(g.view.size(), QSize(714, 62));
    EXPECT_EQ(g.view.minimumSize(), g.view.maximumSize());  // not resizable
    EXPECT_EQ(g.view.label1()->text(), "Level 1");
    EXPECT_EQ(g.view.label1()->toolTip(), " Click To Changle Level ");
    EXPECT_TRUE(g.view.startButton()->isVisible());
    EXPECT_FALSE(g.view.stopButton()->isVisible());
    EXPECT_FALSE(g.view.sayAgainButton()->isVisible());
    EXPECT_FALSE(g.view.results()->isVisible());
    EXPECT_TRUE(g.view.entry()->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), g.view.entry());
    EXPECT_EQ(g.view.entry()->geometry(), QRect(96, 16, 393, 25));
    EXPECT_EQ(g.view.startButton()->geometry(), g.view.stopButton()->geometry());
    // Every size of the icon is there, so it is drawn sharp at any scale; it follows the first
    // frame.
    auto iconSized = [&] {
        const QList<QSize> sizes = g.view.windowIcon().availableSizes();
        return sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256));
    };
    ASSERT_TRUE(QTest::qWaitFor(iconSized, 2000));
    // "MS Sans Serif" is not on Linux: its stand-in is found by family name and really used.
    for (QWidget* w :
         {static_cast<QWidget*>(g.view.label1()), static_cast<QWidget*>(g.view.entry()),
          static_cast<QWidget*>(g.view.startButton())}) {
        EXPECT_EQ(QFontInfo(w->font()).family(), "Liberation Sans");
    }
    EXPECT_EQ(QFontInfo(g.view.label1()->font()).pixelSize(), 16);  // 12 pt at 96 dpi
}

TEST(Gui, TheEntryBoxTakesOnlySmallLettersWhateverWayTextArrives) {
    Gui g;
    auto* e = g.view.entry();
    QTest::keyClicks(e, "ApPLe 1-'9.");
    EXPECT_EQ(e->text(), "apple");
    EXPECT_EQ(g.form.inputbox.Text(), "apple");
    // Editing keys still work.
    QTest::keyClick(e, Qt::Key_Home);
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClick(e, Qt::Key_End);
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClick(e, Qt::Key_Left);
    QTest::keyClicks(e, "X");
    EXPECT_EQ(e->text(), "ppxl");
    EXPECT_EQ(g.form.inputbox.Text(), "ppxl");

    e->clear();
    QGuiApplication::clipboard()->setText("Hello, World 42!\nNext");
    QTest::keySequence(e, QKeySequence::Paste);
    EXPECT_EQ(e->text(), "helloworldnext");

    e->clear();
    QMimeData mime;
    mime.setText("Drag-and-Drop");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e, &enter);
    QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e, &move);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e, &drop);
    EXPECT_EQ(e->text(), "draganddrop");

    e->clear();
    QInputMethodEvent ime;
    ime.setCommitString(u"Ünïcode 東京"_s);
    QApplication::sendEvent(e, &ime);
    EXPECT_EQ(e->text(), "ncode");
    EXPECT_EQ(g.form.inputbox.Text(), "ncode");

    // Letters only Unicode lowercases to a..z are outside the code page, and Ctrl+Enter is a line
    // feed: none of them types or submits anything.
    for (QChar c : u"\u0130\u212A"_s) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(e, &key);
    }
    QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(e->text(), "ncode");
    EXPECT_TRUE(g.journal.entries.isEmpty());  // nothing pasted ever submitted an answer
}

TEST(Gui, AWholePerfectGameTypedFromStartToThePraise) {
    Gui g;
    QTest::mouseClick(g.view.startButton(), Qt::LeftButton);
    EXPECT_FALSE(g.view.startButton()->isVisible());
    EXPECT_TRUE(g.view.stopButton()->isVisible());
    EXPECT_TRUE(g.view.sayAgainButton()->isVisible());
    EXPECT_FALSE(g.view.label1()->isEnabled());
    // The window's height is the whole window's, its frame (two pixels each side offscreen)
    // included.
    EXPECT_EQ(g.view.frameGeometry().height(), qRound(1300 / 15.0));
    EXPECT_LT(g.view.height(), g.view.frameGeometry().height());
    for (int level = 1; level <= 6; ++level) {
        EXPECT_EQ(g.view.label1()->text(), QStringLiteral("Level %1").arg(level));
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(g.journal.entries.last(), speak("Spell Word " + g.current()));
            g.typeAnswer(g.current());
        }
    }
    EXPECT_EQ(g.journal.entries.last(),
              speak(" You Are The Best Speller In The World The Best The Best The Best The Best "));
    EXPECT_TRUE(g.view.results()->isVisible());
    EXPECT_EQ(g.view.results()->count(), 61);
    EXPECT_EQ(g.view.results()->item(60)->text(), "60 Correct Out Of 60");
    EXPECT_TRUE(g.view.results()->item(0)->text().endsWith("  Correct"));
    EXPECT_EQ(g.view.frameGeometry().height(), qRound(5000 / 15.0));
    EXPECT_EQ(g.view.label1()->text(), "Level 1");
    EXPECT_FALSE(g.view.entry()->isEnabled());
    EXPECT_TRUE(g.view.startButton()->isVisible());
}

TEST(Gui, StopMidGameShowsTheResultsAndANewStartClearsThem) {
    Gui g;
    QTest::mouseClick(g.view.label1(), Qt::LeftButton);
    QTest::mouseClick(g.view.label1(), Qt::LeftButton);
    EXPECT_EQ(g.view.label1()->text(), "Level 3");
    QTest::mouseClick(g.view.startButton(), Qt::LeftButton);
    QTest::mouseClick(g.view.label1(), Qt::LeftButton);  // disabled during play
    EXPECT_EQ(g.view.label1()->text(), "Level 3");
    const QString first = g.current();
    g.typeAnswer("wrong");
    QTest::keyClicks(g.view.entry(), "ab");
    QTest::mouseClick(g.view.sayAgainButton(), Qt::LeftButton);
    EXPECT_EQ(g.journal.entries.last(), speak(g.current()));
    EXPECT_EQ(g.view.entry()->text(), "ab");
    EXPECT_EQ(QApplication::focusWidget(), g.view.entry());
    QTest::mouseClick(g.view.stopButton(), Qt::LeftButton);
    ASSERT_EQ(g.view.results()->count(), 2);
    EXPECT_EQ(g.view.results()->item(0)->text(), first + "  wrong  Wrong");
    EXPECT_EQ(g.view.results()->item(1)->text(), "0 Correct Out Of 1");
    // The lines can be kept: all selected and copied as plain text, in order.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(g.view.results(), Qt::Key_A, Qt::ControlModifier);
    QTest::keySequence(g.view.results(), QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), first + "  wrong  Wrong\n0 Correct Out Of 1");
    QTest::mouseClick(g.view.startButton(), Qt::LeftButton);
    EXPECT_EQ(g.view.results()->count(), 0);
    EXPECT_EQ(g.view.entry()->text(), "ab");  // Start leaves the box as it was
    // During play the list is below the window's edge, and nothing of it is copied.
    g.typeAnswer("x");
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(g.view.results(), Qt::Key_A, Qt::ControlModifier);
    QTest::keySequence(g.view.results(), QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "");
}

TEST(Gui, TheWordBeingAskedIsNeverShown) {
    Gui g;
    QTest::mouseClick(g.view.startButton(), Qt::LeftButton);
    for (int i = 0; i < 12; ++i) {
        const QString word = g.current();
        QStringList shown{g.view.windowTitle()};
        for (auto* w : g.view.findChildren<QWidget*>()) {
            if (!w->isVisible()) continue;
            shown << w->toolTip() << w->accessibleName() << w->accessibleDescription()
                  << w->windowTitle();
            if (auto* iface = QAccessible::queryAccessibleInterface(w)) {
                shown << iface->text(QAccessible::Name) << iface->text(QAccessible::Value);
            }
            if (auto* l = qobject_cast<QLabel*>(w)) shown << l->text();
            if (auto* b = qobject_cast<QPushButton*>(w)) shown << b->text();
        }
        for (const auto& s : shown) EXPECT_FALSE(s.contains(word)) << s.toStdString();
        g.typeAnswer(i % 2 ? word : QStringLiteral("x"));
    }
}

namespace {

struct AccessibleNode {
    QAccessible::Role role;
    QString name, description, value;
    QObject* object;
};

// What an assistive technology reads: the accessible tree under the window, every node.
void walk(QAccessibleInterface* node, std::vector<AccessibleNode>& out) {
    if (!node || node->state().invisible) return;
    out.push_back({node->role(), node->text(QAccessible::Name),
                   node->text(QAccessible::Description), node->text(QAccessible::Value),
                   node->object()});
    for (int i = 0; i < node->childCount(); ++i) walk(node->child(i), out);
}

std::vector<AccessibleNode> accessibleTree(QWidget& window) {
    std::vector<AccessibleNode> nodes;
    walk(QAccessible::queryAccessibleInterface(&window), nodes);
    return nodes;
}

}  // namespace

TEST(Gui, EveryControlIsNamedAndDescribedAndTheTreeNeverHoldsTheWord) {
    Gui g;
    auto described = [&](QObject* widget) {
        for (const auto& n : accessibleTree(g.view)) {
            if (n.object == widget) return !n.name.isEmpty() && !n.description.isEmpty();
        }
        return false;
    };
    EXPECT_TRUE(described(g.view.label1()));
    EXPECT_TRUE(described(g.view.entry()));
    EXPECT_TRUE(described(g.view.startButton()));
    for (const auto& n : accessibleTree(g.view)) {
        if (n.object == g.view.label1()) {
            EXPECT_TRUE(n.description.contains("press to change"));
        }
        if (n.object == g.view.entry()) {
            EXPECT_TRUE(n.description.contains("Type the word"));
        }
    }

    QTest::mouseClick(g.view.startButton(), Qt::LeftButton);
    EXPECT_TRUE(described(g.view.stopButton()));
    EXPECT_TRUE(described(g.view.sayAgainButton()));
    for (int i = 0; i < 12; ++i) {
        const QString word = g.current();
        for (const auto& n : accessibleTree(g.view)) {
            for (const QString& text : {n.name, n.description, n.value}) {
                EXPECT_FALSE(text.contains(word)) << text.toStdString();
            }
        }
        g.typeAnswer(i % 2 ? word : QStringLiteral("x"));
    }
    QTest::mouseClick(g.view.stopButton(), Qt::LeftButton);
    EXPECT_TRUE(described(g.view.results()));
}

TEST(Gui, AWholeGameCanBePlayedFromTheKeyboardAlone) {
    Gui g;
    ASSERT_TRUE(QTest::qWaitForWindowActive(&g.view));
    auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    // Tab, in the design's order, until the wanted control has the focus.
    auto tabTo = [&](QWidget* w) {
        for (int i = 0; i < 6 && QApplication::focusWidget() != w; ++i) key(Qt::Key_Tab);
        return QApplication::focusWidget() == w;
    };
    // The tab order is the layout's: the level label, the entry box, Start.
    key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), g.view.startButton());
    key(Qt::Key_Backtab);
    key(Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), g.view.label1());
    // Space and Enter step the level as a click does.
    key(Qt::Key_Space);
    key(Qt::Key_Return);
    EXPECT_EQ(g.view.label1()->text(), "Level 3");
    ASSERT_TRUE(tabTo(g.view.startButton()));
    key(Qt::Key_Space);
    ASSERT_TRUE(g.view.stopButton()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), g.view.entry());  // ready to type
    // During the game the label is out of the tab order.
    for (int i = 0; i < 6; ++i) {
        key(Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), g.view.label1());
    }
    ASSERT_TRUE(tabTo(g.view.entry()));
    const QString first = g.current();
    QTest::keyClicks(QApplication::focusWidget(), first);
    key(Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), "zz");
    key(Qt::Key_Return);
    ASSERT_TRUE(tabTo(g.view.stopButton()));
    key(Qt::Key_Space);
    ASSERT_TRUE(g.view.results()->isVisible());
    ASSERT_EQ(g.view.results()->count(), 3);
    EXPECT_EQ(g.view.results()->item(0)->text(), first + "  " + first + "  Correct");
    EXPECT_EQ(g.view.results()->item(2)->text(), "1 Correct Out Of 2");
    // And again, without the mouse: Start is back in the tab order.
    ASSERT_TRUE(tabTo(g.view.startButton()));
}

TEST(Gui, AMissingWordFileIsReportedAndTheProgramEndsWithFailure) {
    MessageBoxWatcher box;
    box.arm();
    Gui g({}, false);
    EXPECT_EQ(box.text, "Can Not Find Database File Words.txt It's Missing or Corrupted");
    EXPECT_EQ(box.title, "Orthovane");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(g.ends, std::vector<int>({1}));
    EXPECT_FALSE(g.view.isVisible());
}

TEST(Gui, AnUntrappedRunTimeErrorIsReportedAndEndsTheProgram) {
    Gui g;
    g.voice->whileSpeaking = [](const QString&) {
        throw ::runtime::RuntimeError(::runtime::Err::AutomationError,
                                      QStringLiteral("Automation error: Connection terminated"));
    };
    MessageBoxWatcher box;
    box.arm();
    QTest::mouseClick(g.view.startButton(), Qt::LeftButton);
    EXPECT_EQ(box.text, "Run-time error '-2147467259':\n\nAutomation error: Connection terminated");
    EXPECT_EQ(box.title, "Orthovane");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(g.ends, std::vector<int>({platform::UntrappedErrorExitStatus}));
}

TEST(Gui, ClosingTheWindowAnimatesAndEnds) {
    Gui g;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g.view));
    QTest::mouseClick(g.view.startButton(), Qt::LeftButton);
    const QPoint before = g.view.pos();
    g.view.close();
    EXPECT_EQ(g.ends, std::vector<int>({0}));
    EXPECT_GT(g.view.y(), before.y());
    EXPECT_GT(g.view.x(), before.x());
    EXPECT_EQ(g.view.results()->count(), 0);  // no summary line
}

TEST(Gui, AMinimizedWindowClosesWhereItIs) {
    Gui g;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g.view));
    g.view.showMinimized();
    ASSERT_TRUE(g.form.Me.Minimized()) << "the model was not told";
    const float top = g.form.Me.Top();
    g.view.close();
    EXPECT_EQ(g.ends, std::vector<int>({0}));
    EXPECT_EQ(g.form.Me.Top(), top) << "a minimized window cannot be moved";
}
