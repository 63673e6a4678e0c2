// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/Waiter.h"

#include <QString>
#include <chrono>
#include <optional>

namespace speech {

struct SpeechdLibrary;

// Speaks through the desktop's speech service, the one a screen reader talks through, so the
// service takes turns between the two voices instead of both playing at once. The game's phrases
// go at the service's highest priority: whatever the screen reader is saying stops, and what it
// asks to say meanwhile waits or is dropped until the phrase is over.
class DispatcherClient {
  public:
    // The service's own rendering of the game's voice, where it has it.
    static constexpr const char* PreferredModule = "flite";

    // The library is loaded when the first phrase goes through the service, not before.
    using Loader = const SpeechdLibrary* (*)();
    explicit DispatcherClient(Waiter& waiter, Loader load = defaultLoader());
    ~DispatcherClient();
    DispatcherClient(const DispatcherClient&) = delete;
    DispatcherClient& operator=(const DispatcherClient&) = delete;

    // Says the phrase and returns once the service reports it spoken (or cancelled, when the
    // window is closed meanwhile). False when the service cannot be reached or never reports back:
    // the phrase was then not heard, and the caller speaks it another way.
    bool speak(const QString& text);

    // How long a phrase may take before the service is taken for gone: the longest phrase the
    // game lets be said, and more.
    std::chrono::milliseconds patience{25000};

  private:
    bool connect();
    void disconnect();

    static Loader defaultLoader();

    Waiter& waiter_;
    Loader load_;
    const SpeechdLibrary* spd_ = nullptr;
    void* connection_ = nullptr;  // the library's SPDConnection, a type it gives no name to forward
    std::optional<std::chrono::steady_clock::time_point> lastAttempt_;
};

}  // namespace speech
