#pragma once

#include <QObject>
#include <QPointer>
#include <deque>
#include <memory>

class QEvent;

namespace platform {

// Keeps the player's input back while a phrase is being spoken, and hands it over, in the order
// it came, once the handler that spoke has finished. A close request is never kept back: closing
// the window ends the program at once, even in the middle of a word.
class InputGate final : public QObject {
    Q_OBJECT
  public:
    InputGate();
    ~InputGate() override;

    // While held, keys, clicks and the like addressed to a window are kept for later.
    void hold() { ++holds_; }
    void unhold() { --holds_; }

    // The event boundary: handlers run between enter() and leave(). Once the outermost one has
    // left, what was kept is replayed from the event loop, before any newer input.
    void enter() { ++depth_; }
    void leave();

    std::size_t kept() const { return kept_.size(); }

  signals:
    void closeRequested();

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

  private:
    void replay();

    struct Kept {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    int holds_ = 0;
    int depth_ = 0;
    bool replayScheduled_ = false;
    const QEvent* replaying_ = nullptr;
    std::deque<Kept> kept_;
};

}  // namespace platform
