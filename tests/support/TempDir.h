// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A scratch folder for files a test writes.
class TempDir {
  public:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const;

  private:
    QTemporaryDir dir_;
};

}  // namespace testsupport
