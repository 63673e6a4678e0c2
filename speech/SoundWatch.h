// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <memory>

namespace speech {

// Listens to what the desktop's sound devices play, from the moment it is made, to tell whether
// a phrase the speech service says it has begun is making any sound at all: a broken speech
// module reports its phrases begun and then plays nothing (speech-dispatcher 0.12's generic
// module never even ends them). It listens to the default device, where a speech service plays,
// and to the one PULSE_SINK names, if any, where a service started from this environment would.
// Only the level is looked at, and only until the first sound; nothing is kept.
class SoundWatch {
  public:
    enum class Heard {
        Nothing,  // listening, and not a sound yet
        Sound,
        Deaf,  // no sound server to listen to: nothing can be told
    };

    SoundWatch();
    ~SoundWatch();
    SoundWatch(const SoundWatch&) = delete;
    SoundWatch& operator=(const SoundWatch&) = delete;

    Heard heard() const;

  private:
    struct Shared {
        std::atomic<bool> sound{false};
        std::atomic<int> listening{0};
        std::atomic<int> deaf{0};
        std::atomic<bool> done{false};
    };
    // Shared with the listening threads, which may outlive this object by one read.
    std::shared_ptr<Shared> shared_;
};

}  // namespace speech
