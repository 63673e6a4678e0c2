// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QString>

namespace app {
class Label;
}  // namespace app

namespace platform {

class QtServices;

// A label that raises the model's Click when the mouse is released over it, or when Space, Enter
// or Up is pressed while it has the keyboard focus. Down steps back round the ring of levels, as
// many clicks on as that takes, and a screen reader may set the level outright the same way.
class ClickLabel final : public QLabel {
    Q_OBJECT
  public:
    ClickLabel(app::Label& model, QtServices& services, QWidget* parent);
    // What a click does, from the mouse, the keyboard or a screen reader's action.
    void press();
    // Clicks on until the level (1..6) is shown; nothing while disabled or at no level.
    void stepTo(int level);
    // Shows the level's caption; a screen reader hears the new level.
    void showCaption(const QString& caption);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void step(int clicks);
    void announce();

    app::Label& model_;
    QtServices& services_;
    bool announcing_ = true;
};

}  // namespace platform
