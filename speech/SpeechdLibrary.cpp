// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/SpeechdLibrary.h"

#include "speech/SharedLibrary.h"

#include <dlfcn.h>

namespace speech {

namespace {
const SpeechdLibrary* load() {
    void* library = dlopen("libspeechd.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    static SpeechdLibrary api{};
    const bool complete = bindSymbol(library, "spd_open2", api.open2) &&
                          bindSymbol(library, "spd_close", api.close) &&
                          bindSymbol(library, "spd_say", api.say) &&
                          bindSymbol(library, "spd_cancel", api.cancel) &&
                          bindSymbol(library, "spd_set_notification_on", api.notificationOn) &&
                          bindSymbol(library, "spd_list_modules", api.listModules) &&
                          bindSymbol(library, "free_spd_modules", api.freeModules) &&
                          bindSymbol(library, "spd_set_output_module", api.setOutputModule);
    return complete ? &api : nullptr;
}
}  // namespace

const SpeechdLibrary* SpeechdLibrary::Get() {
    static const SpeechdLibrary* const api = load();
    return api;
}

}  // namespace speech
