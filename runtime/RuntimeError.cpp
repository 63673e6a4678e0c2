// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/RuntimeError.h"

#include <utility>

namespace runtime {

QString standardDescription(int number) {
    switch (number) {
        case Err::Overflow:
            return QStringLiteral("Overflow");
        case Err::OutOfMemory:
            return QStringLiteral("Out of memory");
        case Err::SubscriptOutOfRange:
            return QStringLiteral("Subscript out of range");
        case Err::FileNotFound:
            return QStringLiteral("File not found");
        case Err::DeviceIO:
            return QStringLiteral("Device I/O error");
        case Err::PermissionDenied:
            return QStringLiteral("Permission denied");
        case Err::PathFileAccess:
            return QStringLiteral("Path/File access error");
        case Err::InvalidPropertyValue:
            return QStringLiteral("Invalid property value");
        case Err::CantMoveMinimized:
            return QStringLiteral("A form can't be moved or sized while minimized or maximized");
        case Err::AutomationError:
            return QStringLiteral("Automation error");
        default:
            return QStringLiteral("Application-defined or object-defined error");
    }
}

RuntimeError::RuntimeError(int number, QString description)
    : number_(number),
      description_(std::move(description)),
      what_(QStringLiteral("Run-time error %1: %2").arg(number).arg(description_).toStdString()) {}

RuntimeError::RuntimeError(int number) : RuntimeError(number, standardDescription(number)) {}

}  // namespace runtime
