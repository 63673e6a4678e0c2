// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/EntryBox.h"

#include "app/Controls.h"
#include "platform/ErrorReport.h"
#include "platform/QtServices.h"

#include <QKeyEvent>
#include <QObject>
#include <QString>
#include <QStringView>
#include <QValidator>

namespace platform {

namespace {

class AdmitValidator final : public QValidator {
  public:
    AdmitValidator(app::TextBox& model, QObject* parent) : QValidator(parent), model_(model) {}

    State validate(QString& input, int& pos) const override {
        const QString admitted = model_.Admit(input);
        if (admitted != input) {
            pos = int(model_.Admit(QStringView(input).left(pos)).size());
            input = admitted;
        }
        return Acceptable;
    }

  private:
    app::TextBox& model_;
};

bool typesCharacters(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    if (text.isEmpty()) return false;
    for (QChar ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F) return false;
    }
    return true;
}

}  // namespace

EntryBox::EntryBox(app::TextBox& model, QtServices& services, QWidget* parent)
    : QLineEdit(parent), model_(model), services_(services) {
    setValidator(new AdmitValidator(model_, this));
    connect(this, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.setText(text); });
}

void EntryBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The handler checks the answer; the key itself never reaches the box. Ctrl+Enter
            // is a line feed and Alt+Enter a menu key, which submit nothing.
            if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
                runGuarded(services_, [this] { model_.KeyPress(app::vbKeyReturn); });
            event->accept();
            return;
        case Qt::Key_Backspace:
            if (model_.KeyPress(app::vbKeyBack) == app::vbKeyBack) QLineEdit::keyPressEvent(event);
            return;
        default:
            break;
    }
    if (!typesCharacters(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    for (QChar ch : event->text()) {
        const int code = model_.KeyPress(ch.unicode());
        if (code != 0) {
            insert(QString(QChar(char16_t(code))));
            model_.setText(text());
        }
    }
    event->accept();
}

}  // namespace platform
