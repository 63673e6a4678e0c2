// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/InputGate.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointF>
#include <QStyleHints>
#include <QWindow>
#include <algorithm>
#include <utility>

namespace platform {

namespace {
bool isUserInput(QEvent::Type t) {
    switch (t) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

bool isButton(QEvent::Type t) {
    return t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
           t == QEvent::MouseButtonDblClick;
}

QWidget* widgetUnder(const QMouseEvent& event) {
    return QApplication::widgetAt(event.globalPosition().toPoint());
}
}  // namespace

InputGate::InputGate() { QCoreApplication::instance()->installEventFilter(this); }

InputGate::~InputGate() {
    if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool InputGate::eventFilter(QObject* receiver, QEvent* event) {
    // Input reaches a window first, and the window passes it to the widget under the mouse or
    // with the focus; keeping it at the window means the replay finds its widget then.
    if (!receiver->isWindowType()) return false;
    if (event->type() == QEvent::Close) {
        if (main_ && receiver == main_->windowHandle()) emit closeRequested();
        return false;
    }
    if (event == replaying_) return false;
    QWidget* aim = nullptr;
    if (isButton(event->type())) aim = aimOf(static_cast<const QMouseEvent&>(*event));
    if (holds_ > 0 && isUserInput(event->type())) {
        kept_.push_back({receiver, std::unique_ptr<QEvent>(event->clone()), aim});
        return true;
    }
    return false;
}

QWidget* InputGate::aimOf(const QMouseEvent& event) {
    if (event.type() == QEvent::MouseButtonRelease) return lastPress_.aim;
    const QPoint at = event.globalPosition().toPoint();
    const bool secondClick =
        lastPress_.valid &&
        event.timestamp() - lastPress_.time <=
            quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval()) &&
        (at - lastPress_.at).manhattanLength() <=
            QGuiApplication::styleHints()->startDragDistance();
    if (event.type() == QEvent::MouseButtonDblClick || secondClick) return lastPress_.aim;
    lastPress_ = {widgetUnder(event), event.timestamp(), at, true};
    return lastPress_.aim;
}

bool InputGate::stillAimed(const QEvent& event, const QWidget* aim) const {
    // A click on a control that has gone or been disabled since is dropped, as a click on a
    // hidden button would be; so is one that would now land on something else.
    if (!aim || !aim->isVisible() || !aim->isEnabled()) return false;
    return widgetUnder(static_cast<const QMouseEvent&>(event)) == aim;
}

void InputGate::leave() {
    if (--depth_ > 0 || kept_.empty() || replayScheduled_) return;
    // Not from inside the widget whose handler just finished: from the event loop. Until then
    // newer input keeps joining the end of the line.
    replayScheduled_ = true;
    hold();
    QMetaObject::invokeMethod(this, &InputGate::replay, Qt::QueuedConnection);
}

void InputGate::replay() {
    replayScheduled_ = false;
    unhold();
    // A replayed key can start a handler that speaks and keeps more input; that joins the end
    // of the line and is replayed in turn.
    while (!kept_.empty() && !replayScheduled_) {
        Kept next = std::move(kept_.front());
        kept_.pop_front();
        if (!next.receiver) continue;
        if (isButton(next.event->type()) && !stillAimed(*next.event, next.aim)) continue;
        replaying_ = next.event.get();
        QCoreApplication::sendEvent(next.receiver, next.event.get());
        replaying_ = nullptr;
    }
}

}  // namespace platform
