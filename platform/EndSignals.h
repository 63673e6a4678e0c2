// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

class QtServices;

// SIGTERM, SIGINT and SIGHUP end the program through services.EndBySignal, from the event loop:
// a session logging out, a terminal closing or a kill from a task manager, like a closed window,
// leave nothing of the game speaking after it has gone.
void catchEndSignals(QtServices& services);

}  // namespace platform
