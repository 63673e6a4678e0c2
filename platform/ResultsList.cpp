// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ResultsList.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QListWidgetItem>
#include <QMenu>
#include <QRect>
#include <QStringList>

namespace platform {

ResultsList::ResultsList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

bool ResultsList::inView() const {
    return isVisible() && parentWidget() && parentWidget()->rect().contains(geometry());
}

QString ResultsList::selectedText() const {
    QStringList lines;
    for (int row = 0; row < count(); ++row) {
        if (item(row)->isSelected()) lines << item(row)->text();
    }
    return lines.join(u'\n');
}

void ResultsList::copy() {
    const QString text = selectedText();
    if (inView() && !text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void ResultsList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        // The list's own copy would take the current line only.
        copy();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll) && !inView()) {
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void ResultsList::contextMenuEvent(QContextMenuEvent* event) {
    if (!inView() || count() == 0) return;
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), QKeySequence::Copy, this, &ResultsList::copy);
    copyAction->setEnabled(!selectedItems().isEmpty());
    menu.addAction(tr("Select &All"), QKeySequence::SelectAll, this, &QListWidget::selectAll);
    menu.exec(event->globalPos());
}

}  // namespace platform
