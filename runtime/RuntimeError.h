// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <exception>
#include <string>

namespace runtime {

// The error numbers the game can raise, with the texts players of the original know them by.
namespace Err {
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIO = 57;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int CantMoveMinimized = 384;
// What a failed call into the speech service surfaces as: an unspecified automation error.
inline constexpr int AutomationError = -2147467259;
}  // namespace Err

// A run-time error: the number and text of a failure. Only two places in the program trap these;
// anywhere else one reaches the event boundary, which reports it and ends the program.
class RuntimeError : public std::exception {
  public:
    RuntimeError(int number, QString description);
    explicit RuntimeError(int number);  // with the standard text for that number

    int number() const { return number_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    int number_;
    QString description_;
    std::string what_;
};

QString standardDescription(int number);

}  // namespace runtime
