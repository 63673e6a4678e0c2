// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The anchor for start-up time and memory: the least a Qt Widgets program does to show a window
// of the game's size.
#include "platform/FirstFrame.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(714, 62);
    platform::reportFirstFrame(window);
    window.show();
    return application.exec();
}
