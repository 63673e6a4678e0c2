// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace platform {

// Whether a screen reader is running, as the desktop's accessibility bus says
// (org.a11y.Status.ScreenReaderEnabled), kept up to date as it is switched on and off.
class ScreenReaderWatch final : public QObject {
    Q_OBJECT
  public:
    explicit ScreenReaderWatch(QObject* parent = nullptr) : QObject(parent) {}
    // Asks once without waiting for the answer, and follows every change from then on.
    void start();
    bool on() const { return on_; }

  private slots:
    void changed(const QString& interface, const QVariantMap& properties, const QStringList&);

  private:
    bool on_ = false;
};

}  // namespace platform
