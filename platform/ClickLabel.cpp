// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ClickLabel.h"

#include "app/Controls.h"
#include "platform/ErrorReport.h"
#include "platform/QtRuntime.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace platform {

ClickLabel::ClickLabel(app::Label& model, QtRuntime& runtime, QWidget* parent)
    : QLabel(parent), model_(model), runtime_(runtime) {
    // Reachable without a mouse; while disabled (during a game) it takes no focus.
    setFocusPolicy(Qt::StrongFocus);
}

void ClickLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!event->isAutoRepeat()) runGuarded(runtime_, [this] { model_.Click(); });
            event->accept();
            return;
        default:
            QLabel::keyPressEvent(event);
    }
}

void ClickLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QStylePainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = contentsRect().adjusted(1, 1, -1, -1);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        runGuarded(runtime_, [this] { model_.Click(); });
    }
    QLabel::mouseReleaseEvent(event);
}

}  // namespace platform
