#include "platform/InputGate.h"

#include <QCoreApplication>
#include <QEvent>

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
        emit closeRequested();
        return false;
    }
    if (holds_ > 0 && event != replaying_ && isUserInput(event->type())) {
        kept_.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
        return true;
    }
    return false;
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
        replaying_ = next.event.get();
        QCoreApplication::sendEvent(next.receiver, next.event.get());
        replaying_ = nullptr;
    }
}

}  // namespace platform
