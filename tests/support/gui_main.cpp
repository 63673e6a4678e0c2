// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Widget tests run on a real QApplication, offscreen unless a display is asked for.
#include <gtest/gtest.h>
#include <QApplication>

namespace {
QtMessageHandler previous = nullptr;
// The offscreen platform says this for every fixed-size window; it is not about our code.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support propagateSizeHints"))) return;
    previous(type, context, message);
}
}  // namespace

int main(int argc, char** argv) {
    previous = qInstallMessageHandler(quietHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
