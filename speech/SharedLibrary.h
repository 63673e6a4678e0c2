// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <dlfcn.h>

namespace speech {

// Looks up one function of a library opened with dlopen; false when it is not there.
template <class F>
bool bindSymbol(void* library, const char* name, F& f) {
    f = reinterpret_cast<F>(dlsym(library, name));
    return f != nullptr;
}

}  // namespace speech
