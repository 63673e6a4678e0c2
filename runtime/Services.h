// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace runtime {

// The services of the window runtime that the game calls. The real one is in platform/; tests
// hand in recorders that note each call.
class Services {
  public:
    virtual ~Services() = default;

    // Handles pending window messages (repaint in particular) and returns. No user input is
    // dispatched here.
    virtual void DoEvents() = 0;
    // A line for whoever started the program (standard error): what the player is not told,
    // but someone setting the game up needs to know.
    virtual void Note(const QString& line) = 0;
    // A modal message. Style 16: critical-stop icon with an OK button.
    virtual void MsgBox(const QString& prompt, int style, const QString& title) = 0;
    // Ends the program at once; no further events are handled.
    virtual void End(int exitStatus) = 0;
    // Width of the screen, in twips.
    virtual float ScreenWidth() const = 0;
    // Seconds since midnight; changes once a second.
    virtual double Timer() const = 0;
    // One step of the closing animation has been made; progress runs up to 1. The runtime paces
    // and draws the steps.
    virtual void AnimationFrame(double progress) = 0;
};

inline constexpr int vbCritical = 16;

}  // namespace runtime
