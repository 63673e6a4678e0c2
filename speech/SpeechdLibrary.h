// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <speech-dispatcher/libspeechd.h>

namespace speech {

// The desktop speech service's client library (speech-dispatcher), loaded only when a screen
// reader asks for it: most players never need it, and a machine without it still plays. Null
// when it is not installed.
struct SpeechdLibrary {
    decltype(&spd_open2) open2;
    decltype(&spd_close) close;
    decltype(&spd_say) say;
    decltype(&spd_cancel) cancel;
    decltype(&spd_set_notification_on) notificationOn;
    decltype(&spd_list_modules) listModules;
    decltype(&free_spd_modules) freeModules;
    decltype(&spd_set_output_module) setOutputModule;

    // Loaded once, on first use.
    static const SpeechdLibrary* Get();
};

}  // namespace speech
