// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ScreenReaderWatch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QVariant>

namespace platform {

namespace {
const QString Service = QStringLiteral("org.a11y.Bus");
const QString Path = QStringLiteral("/org/a11y/bus");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString Status = QStringLiteral("org.a11y.Status");
const QString Enabled = QStringLiteral("ScreenReaderEnabled");
}  // namespace

void ScreenReaderWatch::start() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    bus.connect(Service, Path, Properties, QStringLiteral("PropertiesChanged"), this,
                SLOT(changed(QString, QVariantMap, QStringList)));
    auto ask = QDBusMessage::createMethodCall(Service, Path, Properties, QStringLiteral("Get"));
    ask << Status << Enabled;
    auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(ask), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusVariant> reply = *w;
        if (!reply.isError()) on_ = reply.value().variant().toBool();
        w->deleteLater();
    });
}

void ScreenReaderWatch::changed(const QString& interface, const QVariantMap& properties,
                                const QStringList&) {
    if (interface == Status && properties.contains(Enabled)) {
        on_ = properties.value(Enabled).toBool();
    }
}

}  // namespace platform
