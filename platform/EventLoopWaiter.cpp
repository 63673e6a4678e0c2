// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/EventLoopWaiter.h"

#include "platform/InputGate.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <thread>

namespace platform {

void EventLoopWaiter::wait(const std::function<void()>& job, std::stop_source& cancel) {
    QEventLoop loop;
    const auto onClose = QObject::connect(&gate_, &InputGate::closeRequested, &loop,
                                          [&cancel] { cancel.request_stop(); });
    std::thread worker([&] {
        job();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    gate_.hold();
    loop.exec();
    gate_.unhold();
    worker.join();
    QObject::disconnect(onClose);
}

}  // namespace platform
