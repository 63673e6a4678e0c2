// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/Runtime.h"

// A runtime that does nothing and is always at noon: for running the game's code where no window
// or clock should play a part (benchmarks, the fuzzer).
class StillRuntime final : public ::runtime::Runtime {
  public:
    void DoEvents() override {}
    void Note(const QString&) override {}
    void MsgBox(const QString&, int, const QString&) override {}
    void End(int) override {}
    float ScreenWidth() const override { return 28800; }
    double Timer() const override { return 43200; }
    void AnimationFrame(double) override {}
};
