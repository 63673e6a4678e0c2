// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/InputGate.h"
#include "runtime/Services.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <ctime>
#include <functional>
#include <vector>

namespace platform {

// The window runtime the game expects, on Qt.
class QtServices final : public runtime::Services {
  public:
    using EndHandler = std::function<void(int exitStatus)>;
    // The default end terminates the process at once with the status.
    explicit QtServices(EndHandler end = {});

    InputGate& gate() { return gate_; }

    // The window that message boxes belong to and whose closing is animated.
    void setWindow(QWidget* window) {
        window_ = window;
        gate_.setMainWindow(window);
    }

    // Run, in the order given, just before the program ends, however it ends: what must not
    // outlive the game (speech in flight, the window manager's hold on the window).
    void atEnd(std::function<void()> step) { atEnd_.push_back(std::move(step)); }
    // Ends the program as the signal would have, once atEnd has run: SIGTERM, SIGINT and SIGHUP
    // are caught for that (catchEndSignals).
    void EndBySignal(int signum);

    void DoEvents() override;
    void Note(const QString& line) override;
    void MsgBox(const QString& prompt, int style, const QString& title) override;
    void End(int exitStatus) override;
    float ScreenWidth() const override;
    double Timer() const override;
    void AnimationFrame(double progress) override;

    // How long the whole closing animation takes, however many steps the screen needs.
    static constexpr int AnimationMs = 800;

  private:
    void runAtEnd();

    EndHandler end_;
    std::vector<std::function<void()>> atEnd_;
    InputGate gate_;
    QPointer<QWidget> window_;
    QElapsedTimer animation_;
    // The last second Timer() converted, and its value: a cache, not state of the runtime.
    mutable std::time_t timerSecond_ = -1;
    mutable double timerValue_ = 0;
};

}  // namespace platform
