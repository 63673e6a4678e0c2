// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ResultsList.h"
#include "platform/Twips.h"

#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

class QEventLoop;
class QLabel;
class QPushButton;

namespace app {
class CommandButton;
class Control;
class FrmMain;
}  // namespace app

namespace platform {

class ClickLabel;
class EntryBox;
class QtServices;

// Draws the window model and turns real input into the model's events. It holds no game state:
// every widget mirrors its control, and only the visible controls have widgets.
class FormView final : public QWidget {
    Q_OBJECT
  public:
    FormView(app::FrmMain& form, QtServices& services);

    ClickLabel* label1() const { return label1_; }
    QLabel* label2() const { return label2_; }
    EntryBox* entry() const { return entry_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* sayAgainButton() const { return sayAgain_; }
    ResultsList* results() const { return results_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    void dressWindow();
    void dressPalette();
    void makeControls();
    void describeControls();
    void watchModel();
    void orderTabs();
    void placeOnScreen();
    // The widget takes the control's font and place, shows its state now and after each change.
    void watch(app::Control& control, QWidget* widget, const std::function<void()>& sync);
    void place(QWidget* widget, const app::Control& control);
    // The layout again at the DPI of the screen the window is on, when that changes.
    void followScreen();
    // Tells the model what frame the window manager drew around the window.
    void reportFrame();
    // As the program ends: hands the window back from the window manager, and waits (half a
    // second at most) until the manager has let it go.
    void leaveWindowManager();
    void syncWindow();
    void syncResults();
    void presentResults();
    void describeEntry();
    QPushButton* makeButton(app::CommandButton& model);

    app::FrmMain& form_;
    QtServices& services_;
    ClickLabel* label1_;
    QLabel* label2_;
    EntryBox* entry_;
    QPushButton* start_;
    QPushButton* stop_;
    QPushButton* sayAgain_;
    ResultsList* results_;
    Twips twips_;
    // Every drawn control with its widget, to lay out again at another DPI.
    std::vector<std::pair<const app::Control*, QWidget*>> drawn_;
    bool followingScreen_ = false;
    // While the program ends: the loop waiting for the window manager to let the window go, and
    // the property it takes away when it has.
    QEventLoop* releasing_ = nullptr;
    unsigned releasedBy_ = 0;
    bool syncing_ = false;
    bool resultsInView_ = false;
    bool unloading_ = false;
};

}  // namespace platform
