// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/DispatcherClient.h"
#include "speech/Voice.h"

#include <functional>

namespace speech {

// The game's voice beside a screen reader. With none running, the game speaks with its own voice,
// straight to the sound server. While one runs, the phrases go through the speech service the
// screen reader uses, so the two take turns instead of talking over each other; if that service
// cannot be had, the game's own voice says them after all.
class RoutedVoice final : public Voice {
  public:
    RoutedVoice(Voice& own, DispatcherClient& service, std::function<bool()> screenReaderOn)
        : own_(own), service_(service), screenReaderOn_(std::move(screenReaderOn)) {}

    int Speak(const QString& text, int flags) override {
        if (screenReaderOn_() && service_.speak(text)) return ++streams_;
        own_.Speak(text, flags);
        return ++streams_;
    }

  private:
    Voice& own_;
    DispatcherClient& service_;
    std::function<bool()> screenReaderOn_;
    int streams_ = 0;
};

}  // namespace speech
