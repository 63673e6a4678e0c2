// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/FrmMain.h"
#include "commands/Commands.h"
#include "runtime/Random.h"
#include "runtime/Services.h"
#include "speech/Voice.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << "{";
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << "}";
}

namespace testsupport {

// The lines of a list control, in order.
QStringList itemsOf(const app::ListBox& list);

// The effects of the game, in the order they happened: speech, DoEvents, message boxes, end.
struct Journal {
    QStringList entries;
    void add(const QString& e) { entries.append(e); }
    void clear() { entries.clear(); }
    QStringList spoken() const;
};

class RecordingServices final : public runtime::Services {
  public:
    explicit RecordingServices(Journal& journal) : journal_(journal) {}

    void DoEvents() override { journal_.add(QStringLiteral("doevents")); }
    void Note(const QString& line) override { journal_.add(QStringLiteral("note ") + line); }
    void MsgBox(const QString& prompt, int style, const QString& title) override;
    void End(int status) override;
    float ScreenWidth() const override { return screenWidth; }
    double Timer() const override { return timer; }
    void AnimationFrame(double progress) override;

    float screenWidth = 1920 * 15;
    double timer = 43200;
    std::vector<int> endStatuses;
    std::vector<double> frames;
    std::function<void()> duringFrame;

  private:
    Journal& journal_;
};

// Notes every phrase; a test can make a phrase fail or run something while it is "spoken".
class RecordingVoice final : public speech::Voice {
  public:
    explicit RecordingVoice(Journal& journal) : journal_(journal) {}
    int Speak(const QString& text, int flags) override;

    std::function<void(const QString&)> whileSpeaking;

  private:
    Journal& journal_;
    int streams_ = 0;
};

// A window model with its commands, a recording runtime and voice, and a seeded generator.
struct RecordedForm {
    Journal journal;
    RecordingServices services{journal};
    ::runtime::MixingRandom random{42};
    app::FrmMain form{services, random};
    commands::Commands commands{form};
    RecordingVoice* voice = nullptr;

    RecordedForm();
    void fillPool(int level, const QStringList& words);
    // Types into the entry box as the key filter lets it, one key at a time.
    void type(const QString& keys);
    void enter();
    void answer(const QString& keys) {
        type(keys);
        enter();
    }
    // Answers every remaining word of the current level correctly.
    void answerLevelCorrectly(int wrongAnswers = 0);
    QStringList results() const;
};

QString speak(const QString& text);

}  // namespace testsupport
