// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/FrmMain.h"
#include "commands/Commands.h"
#include "platform/FormView.h"
#include "platform/QtServices.h"
#include "runtime/Random.h"

#include <cstdint>
#include <vector>

namespace testsupport {

// The real window on its model, as the program puts them together: the runtime (which notes each
// End status instead of ending), a seeded generator, the form, its commands and the view.
struct ShownWindow {
    explicit ShownWindow(std::uint64_t seed) : random(seed) {}

    std::vector<int> ends;
    platform::QtServices services{[this](int status) { ends.push_back(status); }};
    ::runtime::MixingRandom random;
    app::FrmMain form{services, random};
    commands::Commands commands{form};
    platform::FormView view{form, services};
};

}  // namespace testsupport
