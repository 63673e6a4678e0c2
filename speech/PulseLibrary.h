// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <pulse/simple.h>

#include <pulse/sample.h>
#include <cstddef>

namespace speech {

// The PulseAudio client library, loaded when the first stream is opened rather than when the
// program starts: it brings a dozen codec libraries with it, and linking them at start-up costs
// more than the whole rest of the window's start. Null when the library is not installed, which
// is heard as no sound server.
struct PulseLibrary {
    decltype(&pa_simple_new) simple_new;
    decltype(&pa_simple_free) simple_free;
    decltype(&pa_simple_write) simple_write;
    decltype(&pa_simple_read) simple_read;
    decltype(&pa_simple_drain) simple_drain;
    decltype(&pa_simple_flush) simple_flush;
    decltype(&pa_simple_get_latency) simple_get_latency;
    const char* (*strerror)(int error);
    std::size_t (*usec_to_bytes)(pa_usec_t t, const pa_sample_spec* format);

    // Loaded once, on first use, from any thread.
    static const PulseLibrary* Get();
};

}  // namespace speech
