// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/AudioOutput.h"
#include "speech/Pcm.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <stop_token>

struct pa_simple;

namespace speech {

struct PulseLibrary;

// Playback through the PulseAudio simple API (PulseAudio itself, or PipeWire's pulse server).
// With no server the phrase is silent but still takes its duration, so the game stays usable; a
// server that appears later is picked up. A server lost in the middle of a phrase is waited for,
// a few seconds at most, and the phrase said again whole; if it does not come back, the game goes
// on without sound. Sound never ends the game.
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
    void openInBackground(int sampleRate);
    // Told why, once each time the words stop being heard: no server at start-up, or one lost and
    // not back in time. Called on the thread that found out; it is told again only after the
    // sound has come back and been lost anew.
    void onSilence(std::function<void(const QString& why)> report) {
        silenceReport_ = std::move(report);
    }
    // How long a server lost mid-phrase is waited for: long enough for a sound server to
    // restart, short enough that the player is not left waiting.
    std::chrono::milliseconds reconnectPatience{3000};
    // A server that keeps coming back and going again is given up on after this many losses in
    // one phrase.
    static constexpr int MaxLosses = 5;
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
    bool reconnectWithin(std::chrono::milliseconds patience, int sampleRate,
                         const std::stop_token& stop);
    void goneSilent(const QString& why);

    QString server_;
    Loader load_;
    std::future<void> opening_;
    const PulseLibrary* pa_ = nullptr;  // loaded with the first connect
    pa_simple* stream_ = nullptr;
    int rate_ = 0;
    QString lastError_;
    std::function<void(const QString&)> silenceReport_;
    std::atomic<bool> silent_{false};
};

}  // namespace speech
