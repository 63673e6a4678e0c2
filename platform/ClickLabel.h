// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace app {
class Label;
}  // namespace app

namespace platform {

class QtRuntime;

// A label that raises the model's Click when the mouse is released over it.
class ClickLabel final : public QLabel {
    Q_OBJECT
  public:
    ClickLabel(app::Label& model, QtRuntime& runtime, QWidget* parent);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    app::Label& model_;
    QtRuntime& runtime_;
};

}  // namespace platform
