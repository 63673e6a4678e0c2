// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/InputGate.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointF>
#include <QPointingDevice>
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

bool isMouse(QEvent::Type t) { return isButton(t) || t == QEvent::MouseMove; }

QWidget* widgetUnder(QPointF global) { return QApplication::widgetAt(global.toPoint()); }
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
    // Input that comes while earlier input is still kept joins the line behind it, even between
    // two phrases of one handler, so a release never overtakes its press.
    if ((holds_ > 0 || (depth_ > 0 && !kept_.empty())) && isUserInput(event->type())) {
        // Qt follows the second press of a double-click with a double-click event of its own. The
        // press and its release are the click; replayed, the pair is clicked again as such.
        if (event->type() == QEvent::MouseButtonDblClick) return true;
        if (isButton(event->type()) && repeatsAKeptClick(event->type(), aim)) return true;
        Kept kept{receiver, nullptr, std::nullopt, aim};
        if (isMouse(event->type())) {
            const auto& m = static_cast<const QMouseEvent&>(*event);
            kept.mouse =
                Mouse{m.type(),    m.position(),  m.scenePosition(), m.globalPosition(), m.button(),
                      m.buttons(), m.modifiers(), m.timestamp(),     m.pointingDevice()};
        } else {
            kept.event.reset(event->clone());
        }
        kept_.push_back(std::move(kept));
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
    secondClick_ = event.type() == QEvent::MouseButtonPress && secondClick;
    if (event.type() == QEvent::MouseButtonDblClick || secondClick) return lastPress_.aim;
    lastPress_ = {widgetUnder(event.globalPosition()), event.timestamp(), at, true};
    return lastPress_.aim;
}

bool InputGate::repeatsAKeptClick(QEvent::Type type, QWidget* aim) {
    // A control clicked again and again while a phrase plays (a child at Say Again) is clicked
    // once: the repeats would each say the word again, and hold up what was clicked after them.
    // A repeat is dropped whole, its press and its release.
    if (type == QEvent::MouseButtonRelease) {
        const bool dropped = aim && aim == repeating_;
        repeating_ = nullptr;
        return dropped;
    }
    // So is the second click of a double-click, whether or not its first is still kept: its
    // first may have been handled, and be speaking, by the time it comes.
    const bool kept =
        aim && (secondClick_ || std::any_of(kept_.begin(), kept_.end(), [aim](const Kept& k) {
                    return k.aim == aim && isButton(k.type()) &&
                           k.type() != QEvent::MouseButtonRelease;
                }));
    repeating_ = kept ? aim : nullptr;
    return kept;
}

bool InputGate::stillAimed(const Mouse& click, const QWidget* aim) const {
    // A click on a control that has gone or been disabled since is dropped, as a click on a
    // hidden button would be; so is one that would now land on something else.
    if (!aim || !aim->isVisible() || !aim->isEnabled()) return false;
    return widgetUnder(click.global) == aim;
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
        if (next.mouse) {
            const Mouse& m = *next.mouse;
            if (isButton(m.type) && !stillAimed(m, next.aim)) continue;
            QMouseEvent made(m.type, m.local, m.scene, m.global, m.button, m.buttons, m.modifiers,
                             static_cast<const QPointingDevice*>(m.device));
            made.setTimestamp(m.timestamp);
            replaying_ = &made;
            QCoreApplication::sendEvent(next.receiver, &made);
        } else {
            replaying_ = next.event.get();
            QCoreApplication::sendEvent(next.receiver, next.event.get());
        }
        replaying_ = nullptr;
    }
}

}  // namespace platform
