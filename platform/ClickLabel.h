// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QString>

namespace app {
class Label;
}  // namespace app

namespace platform {

class QtRuntime;

// A label that raises the model's Click when the mouse is released over it, or when Space or
// Enter is pressed while it has the keyboard focus.
class ClickLabel final : public QLabel {
    Q_OBJECT
  public:
    ClickLabel(app::Label& model, QtRuntime& runtime, QWidget* parent);
    // What a click does, from the mouse, the keyboard or a screen reader's action.
    void press();
    // Shows the level's caption; a screen reader hears the new level.
    void showCaption(const QString& caption);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    app::Label& model_;
    QtRuntime& runtime_;
};

}  // namespace platform
