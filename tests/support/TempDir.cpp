// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempDir.h"

#include <QFile>

namespace testsupport {

QString TempDir::write(const QString& name, const QByteArray& bytes) const {
    const QString p = path(name);
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(p));
    f.write(bytes);
    return p;
}

}  // namespace testsupport
