#include "platform/EventLoopWaiter.h"

#include <QEventLoop>
#include <QMetaObject>
#include <thread>

namespace platform {

void EventLoopWaiter::wait(const std::function<void()>& job) {
    QEventLoop loop;
    std::thread worker([&] {
        job();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
}

}  // namespace platform
