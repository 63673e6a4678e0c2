// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/PulseLibrary.h"

#include "speech/SharedLibrary.h"

#include <dlfcn.h>

namespace speech {

namespace {

const PulseLibrary* load() {
    void* library = dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    static PulseLibrary api{};
    // The simple API's library depends on libpulse, so its symbols are found through it too.
    const bool complete = bindSymbol(library, "pa_simple_new", api.simple_new) &&
                          bindSymbol(library, "pa_simple_free", api.simple_free) &&
                          bindSymbol(library, "pa_simple_write", api.simple_write) &&
                          bindSymbol(library, "pa_simple_read", api.simple_read) &&
                          bindSymbol(library, "pa_simple_drain", api.simple_drain) &&
                          bindSymbol(library, "pa_simple_flush", api.simple_flush) &&
                          bindSymbol(library, "pa_simple_get_latency", api.simple_get_latency) &&
                          bindSymbol(library, "pa_strerror", api.strerror) &&
                          bindSymbol(library, "pa_usec_to_bytes", api.usec_to_bytes);
    return complete ? &api : nullptr;
}

}  // namespace

const PulseLibrary* PulseLibrary::Get() {
    static const PulseLibrary* const api = load();
    return api;
}

}  // namespace speech
