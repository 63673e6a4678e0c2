// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Recorders.h"

namespace testsupport {

QStringList Journal::spoken() const {
    QStringList s;
    for (const auto& e : entries) {
        if (e.startsWith(QStringLiteral("speak "))) s.append(e);
    }
    return s;
}

QString speak(const QString& text) { return QStringLiteral("speak \"%1\"").arg(text); }

void RecordingServices::MsgBox(const QString& prompt, int style, const QString& title) {
    journal_.add(QStringLiteral("msgbox %1|%2|%3").arg(prompt).arg(style).arg(title));
}

void RecordingServices::End(int status) {
    journal_.add(QStringLiteral("end %1").arg(status));
    endStatuses.push_back(status);
}

void RecordingServices::AnimationFrame(double progress) {
    frames.push_back(progress);
    if (duringFrame) duringFrame();
}

int RecordingVoice::Speak(const QString& text, int /*flags*/) {
    journal_.add(speak(text));
    if (whileSpeaking) whileSpeaking(text);
    return ++streams_;
}

RecordedForm::RecordedForm() {
    auto v = std::make_unique<RecordingVoice>(journal);
    voice = v.get();
    form.state.Voice = std::move(v);
}

void RecordedForm::fillPool(int level, const QStringList& words) {
    for (const auto& w : words) form.Pool(level).AddItem(w);
}

void RecordedForm::type(const QString& keys) {
    for (QChar ch : keys) {
        const int code = form.inputbox.KeyPress(ch.unicode());
        if (code == app::vbKeyBack) {
            form.inputbox.setText(
                form.inputbox.Text().chopped(form.inputbox.Text().isEmpty() ? 0 : 1));
        } else if (code != 0) {
            form.inputbox.setText(form.inputbox.Text() + QChar(char16_t(code)));
        }
    }
}

void RecordedForm::enter() { form.inputbox.KeyPress(app::vbKeyReturn); }

void RecordedForm::answerLevelCorrectly(int wrongAnswers) {
    for (int i = form.state.WordIndex; i < app::WordsPerLevel; ++i) {
        const QString word = form.state.LevelWords(i);
        answer(wrongAnswers-- > 0 ? word + QStringLiteral("x") : word);
    }
}

QStringList itemsOf(const app::ListBox& list) {
    QStringList lines;
    for (qsizetype i = 0; i < list.ListCount(); ++i) lines.append(list.List(i));
    return lines;
}

QStringList RecordedForm::results() const { return itemsOf(form.List7); }

}  // namespace testsupport
