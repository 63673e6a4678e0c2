// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

namespace app {
class TextBox;
}  // namespace app

namespace platform {

class QtServices;

// The entry box. Every typed character goes through the model's key handler, which may change or
// drop it (and checks the answer on Enter). Text that arrives any other way (a paste, a drop,
// middle-click, an input method, undo) passes the same filter, so the box holds only what typing
// could have put there. Editing keys that type nothing (arrows, Home, End, Delete) work as usual.
class EntryBox final : public QLineEdit {
    Q_OBJECT
  public:
    EntryBox(app::TextBox& model, QtServices& services, QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    app::TextBox& model_;
    QtServices& services_;
};

}  // namespace platform
