// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FirstFrame.h"

#include <unistd.h>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <utility>

namespace platform {

namespace {

class FirstPaint final : public QObject {
  public:
    FirstPaint(QWidget& window, std::function<void()> then)
        : QObject(&window), then_(std::move(then)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && then_) {
            // The paint is still to be handled and flushed; run once it has been.
            QTimer::singleShot(0, watched, std::move(then_));
            then_ = nullptr;
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> then_;
};

}  // namespace

void afterFirstFrame(QWidget& window, std::function<void()> then) {
    window.installEventFilter(new FirstPaint(window, std::move(then)));
}

void reportFirstFrame(QWidget& window) {
    const char* fd = std::getenv("ORTHOVANE_FIRST_FRAME_FD");
    if (!fd || !*fd) return;
    char* end = nullptr;
    const long n = std::strtol(fd, &end, 10);
    if (*end != '\0' || n < 0) return;
    afterFirstFrame(window, [fd = int(n)] {
        const char done = 1;
        [[maybe_unused]] const auto written = ::write(fd, &done, 1);
        // At once: an orderly close would run the closing animation, which is not start-up.
        ::_exit(0);
    });
}

}  // namespace platform
