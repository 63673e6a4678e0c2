// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtServices.h"

#include "platform/Twips.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRect>
#include <QScreen>
#include <QThread>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

namespace platform {

QtServices::QtServices(EndHandler end) : end_(std::move(end)) {
    if (!end_) {
        end_ = [](int status) {
            // Only the streams the program writes to. Flushing every stream (fflush(nullptr))
            // takes each one's lock, and a library's thread may hold one while it waits on a
            // socket: the program would wait for good.
            std::fflush(stdout);
            std::fflush(stderr);
            std::_Exit(status);
        };
    }
}

void QtServices::DoEvents() {
    // Repaints and other window-system work; keys and clicks wait, in order, for the main loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtServices::Note(const QString& line) {
    std::fprintf(stderr, "orthovane: %s\n", line.toLocal8Bit().constData());
}

void QtServices::MsgBox(const QString& prompt, int style, const QString& title) {
    const auto icon =
        (style & 0x70) == ::runtime::vbCritical ? QMessageBox::Critical : QMessageBox::Information;
    QMessageBox box(icon, title, prompt, QMessageBox::Ok, window_);
    box.exec();
}

void QtServices::runAtEnd() {
    // Once: a step that ends up here again runs no step twice.
    std::vector<std::function<void()>> steps = std::move(atEnd_);
    atEnd_.clear();
    for (const auto& step : steps) step();
}

void QtServices::End(int exitStatus) {
    runAtEnd();
    end_(exitStatus);
}

void QtServices::EndBySignal(int signum) {
    runAtEnd();
    std::fflush(stdout);
    std::fflush(stderr);
    std::signal(signum, SIG_DFL);
    std::raise(signum);
    end_(128 + signum);
}

float QtServices::ScreenWidth() const {
    const QScreen* screen =
        window_ && window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    return screen ? Twips::on(screen).fromPx(screen->geometry().width()) : 0.0f;
}

double QtServices::Timer() const {
    // Seconds since local midnight. Converting to local time is slow, so the conversion is
    // redone only when the second changes; a level draw asks once per word.
    const std::time_t now = std::time(nullptr);
    if (now != timerSecond_) {
        std::tm local{};
        localtime_r(&now, &local);
        timerSecond_ = now;
        timerValue_ = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    }
    return timerValue_;
}

void QtServices::AnimationFrame(double progress) {
    if (!window_ || !window_->isVisible()) return;
    if (!animation_.isValid()) animation_.start();
    // Draw the new geometry, then wait for this step's moment so the whole slide takes the same
    // time on any screen.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const qint64 due = qint64(progress * AnimationMs);
    const qint64 ahead = due - animation_.elapsed();
    if (ahead > 0) QThread::msleep(std::uint64_t(ahead));
}

}  // namespace platform
