// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>
#include <QString>

namespace platform {

// The results list. Its lines can be kept: Ctrl+A selects every line, and Ctrl+C (or Copy in its
// context menu) puts the selected lines on the clipboard as plain text, one a line, in order. Only
// while the list is in view: during play it lies below the window's edge.
class ResultsList final : public QListWidget {
    Q_OBJECT
  public:
    explicit ResultsList(QWidget* parent);

    // The selected lines as the clipboard gets them.
    QString selectedText() const;
    bool inView() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void copy();
};

}  // namespace platform
