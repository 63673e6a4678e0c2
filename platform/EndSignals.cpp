// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/EndSignals.h"

#include "platform/QtServices.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <QObject>
#include <QSocketNotifier>

namespace platform {

namespace {
// The handler only writes the signal's number here; the event loop does the rest.
int signalPipe[2] = {-1, -1};

void onSignal(int signum) {
    const unsigned char n = static_cast<unsigned char>(signum);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &n, 1);
}
}  // namespace

void catchEndSignals(QtServices& services) {
    if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [&services] {
        unsigned char n = 0;
        if (::read(signalPipe[0], &n, 1) == 1) services.EndBySignal(n);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signum : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signum, &action, nullptr);
}

}  // namespace platform
