// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/AudioOutput.h"
#include "speech/Pcm.h"

#include <QString>
#include <functional>
#include <future>
#include <stop_token>

struct pa_simple;

namespace speech {

struct PulseLibrary;

// Playback through the PulseAudio simple API (PulseAudio itself, or PipeWire's pulse server).
// With no server the phrase is silent but still takes its duration, so the game stays usable; a
// server that appears later is picked up. A playback failure reconnects once and plays the phrase
// again; if that fails too it is the run-time error of the failed call.
class PulseOutput final : public AudioOutput {
  public:
    // The client library is loaded with the first connect, not before; a test can hand in a
    // table of its own to make writing, draining or reconnecting fail.
    using Loader = const PulseLibrary* (*)();
    // `server` empty: the default server.
    explicit PulseOutput(QString server = QString(), Loader load = defaultLoader());
    ~PulseOutput() override;

    // Connects ahead of the first phrase; false (with lastError) when there is no server.
    bool open(int sampleRate) { return connect(sampleRate); }
    // The same without holding up the caller: a new stream can take a couple of seconds to get
    // going, which start-up should not wait for. The first phrase waits for whatever is left.
    // `failed` runs (on the opening thread) when there is no server.
    void openInBackground(int sampleRate, std::function<void(const QString& error)> failed);
    void play(const Pcm& pcm, std::stop_token stop = {}) override;
    bool connected() const { return stream_ != nullptr; }
    // Lets the server go until the next phrase, which connects again.
    void close() {
        if (opening_.valid()) opening_.get();
        disconnect();
    }
    // The error text of the last failed connect.
    const QString& lastError() const { return lastError_; }

  private:
    static Loader defaultLoader();
    bool connect(int sampleRate);
    void disconnect();
    bool playOnce(const Pcm& pcm, const std::stop_token& stop, int& error);

    QString server_;
    Loader load_;
    std::future<void> opening_;
    const PulseLibrary* pa_ = nullptr;  // loaded with the first connect
    pa_simple* stream_ = nullptr;
    int rate_ = 0;
    QString lastError_;
};

}  // namespace speech
