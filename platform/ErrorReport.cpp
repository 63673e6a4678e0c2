// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ErrorReport.h"

#include "app/Identity.h"
#include "platform/InputGate.h"
#include "platform/QtServices.h"
#include "runtime/RuntimeError.h"
#include "runtime/Services.h"

#include <new>

namespace platform {

QString untrappedErrorText(int number, const QString& description) {
    return QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(description);
}

void runGuarded(QtServices& services, const std::function<void()>& handler) {
    struct Boundary {
        InputGate& gate;
        explicit Boundary(InputGate& g) : gate(g) { gate.enter(); }
        ~Boundary() { gate.leave(); }
    } boundary(services.gate());
    int number = 0;
    QString description;
    try {
        handler();
        return;
    } catch (const ::runtime::RuntimeError& e) {
        number = e.number();
        description = e.description();
    } catch (const std::bad_alloc&) {
        number = ::runtime::Err::OutOfMemory;
        description = ::runtime::standardDescription(number);
    }
    services.MsgBox(untrappedErrorText(number, description), ::runtime::vbCritical, app::AppTitle);
    services.End(UntrappedErrorExitStatus);
}

}  // namespace platform
