// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/PulseLibrary.h"

#include <dlfcn.h>

namespace speech {

namespace {

template <class F>
bool bind(void* library, const char* name, F& f) {
    f = reinterpret_cast<F>(dlsym(library, name));
    return f != nullptr;
}

const PulseLibrary* load() {
    void* library = dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    static PulseLibrary api{};
    // The simple API's library depends on libpulse, so its symbols are found through it too.
    const bool complete = bind(library, "pa_simple_new", api.simple_new) &&
                          bind(library, "pa_simple_free", api.simple_free) &&
                          bind(library, "pa_simple_write", api.simple_write) &&
                          bind(library, "pa_simple_drain", api.simple_drain) &&
                          bind(library, "pa_simple_flush", api.simple_flush) &&
                          bind(library, "pa_strerror", api.strerror) &&
                          bind(library, "pa_usec_to_bytes", api.usec_to_bytes);
    return complete ? &api : nullptr;
}

}  // namespace

const PulseLibrary* PulseLibrary::Get() {
    static const PulseLibrary* const api = load();
    return api;
}

}  // namespace speech
