// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QWidget>
#include <deque>
#include <memory>
#include <optional>

class QMouseEvent;
class QPointingDevice;

namespace platform {

// Keeps the player's input back while a phrase is being spoken, and hands it over, in the order
// it came, once the handler that spoke has finished. A click goes to the control it was aimed at
// when it was made, or nowhere if that control has meanwhile been hidden or disabled; clicks
// repeated on a control whose earlier click is still kept count once. A close
// request for the game's window is never kept back: closing it ends the program at once, even in
// the middle of a word.
class InputGate final : public QObject {
    Q_OBJECT
  public:
    InputGate();
    ~InputGate() override;

    // The window whose closing cuts a phrase short; other windows (tooltips, menus, message
    // boxes) come and go without touching it.
    void setMainWindow(QWidget* window) { main_ = window; }

    // While held, keys, clicks and the like addressed to a window are kept for later.
    void hold() { ++holds_; }
    void unhold() { --holds_; }

    // The event boundary: handlers run between enter() and leave(). Once the outermost one has
    // left, what was kept is replayed from the event loop, before any newer input.
    void enter() { ++depth_; }
    void leave();

  signals:
    void closeRequested();

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

  private:
    struct Mouse;
    void replay();
    QWidget* aimOf(const QMouseEvent& event);
    bool stillAimed(const Mouse& click, const QWidget* aim) const;
    bool repeatsAKeptClick(QEvent::Type type, QWidget* aim);

    // A mouse event as it was made. Qt's mouse events share their point with the pointer's own,
    // which moves on with every later event, so a kept copy would be replayed where the pointer
    // went next (a click on Say Again released over Stop): it is kept by value and made anew.
    struct Mouse {
        QEvent::Type type;
        QPointF local, scene, global;
        Qt::MouseButton button;
        Qt::MouseButtons buttons;
        Qt::KeyboardModifiers modifiers;
        quint64 timestamp;
        const QPointingDevice* device;
    };
    struct Kept {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;  // any other input
        std::optional<Mouse> mouse;
        QPointer<QWidget> aim;  // for clicks: the control under the pointer when it was made
        QEvent::Type type() const { return mouse ? mouse->type : event->type(); }
    };
    // The last button press seen, kept or not: the second click of a double-click is aimed
    // where the first was, even if the first has since put another control there.
    struct Press {
        QPointer<QWidget> aim;
        quint64 time = 0;
        QPoint at;
        bool valid = false;
    } lastPress_;
    QPointer<QWidget> main_;
    bool secondClick_ = false;  // the last press was the second of a double-click
    // The control whose repeated press was dropped: its release goes too.
    QPointer<QWidget> repeating_;
    int holds_ = 0;
    int depth_ = 0;
    bool replayScheduled_ = false;
    const QEvent* replaying_ = nullptr;
    std::deque<Kept> kept_;
};

}  // namespace platform
