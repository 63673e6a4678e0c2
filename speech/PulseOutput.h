// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech/AudioOutput.h"
#include "speech/Pcm.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

namespace speech {

struct PulseLibrary;

// Playback through the PulseAudio simple API (PulseAudio itself, or PipeWire's pulse server).
// A stream is held only while there is something to say, so the device sleeps when the game is
// quiet.
// With no server the phrase is silent but still takes its duration, so the game stays usable; a
// server that appears later is picked up. A server lost in the middle of a phrase is waited for,
// a few seconds at most each time, and the phrase said again whole; if none comes back, the game
// goes on without sound. A device that stops playing (suspended, stalled) holds a phrase up no
// longer than its own length and a margin. Sound never ends the game.
//
// The simple API's calls block with no deadline, so they are made on a thread of their own; one
// that does not come back in time is left to finish there, and its connection with it.
class PulseOutput final : public AudioOutput {
  public:
    // The client library is loaded with the first connect, not before; a test can hand in a
    // table of its own to make writing, draining or reconnecting fail.
    using Loader = const PulseLibrary* (*)();
    // `server` empty: the default server.
    explicit PulseOutput(QString server = QString(), Loader load = defaultLoader());
    ~PulseOutput() override;

    // Connects ahead of the first phrase; false (with lastError) when there is no server.
    bool open(int sampleRate);
    // Loads the client library without holding up the caller, so the first phrase only
    // connects.
    void loadInBackground();
    // Lets the sound server, and the device, sleep: the stream is closed once the phrase under
    // way (if any) is over, and the next phrase connects anew. Nothing to say for `restAfter`
    // (a minute unless set) does the same.
    void rest();
    void setRestAfter(std::chrono::milliseconds quiet);
    // Told why, once each time the words stop being heard: no server at start-up, one lost and
    // not back in time, or a device that does not play. Called on whichever thread found out; it
    // is told again only after the sound has come back and been lost anew.
    void onSilence(std::function<void(const QString& why)> report);
    // How long a server lost mid-phrase is waited for, each time: long enough for a sound server
    // to restart, short enough that the player is not left waiting. Connecting gets as long.
    std::chrono::milliseconds reconnectPatience{3000};
    // A server that keeps coming back and going again is given up on after this many losses in
    // one phrase.
    static constexpr int MaxLosses = 5;
    // How much longer than itself a phrase may take to play before its device is taken for
    // stalled, and the phrase for over.
    std::chrono::milliseconds stallMargin{1000};
    // How long a phrase heard to its end may wait for its drain before the next phrase goes on a
    // new stream: long enough for a sleeping device to wake (PulseAudio's null sink sleeps for
    // two seconds), short enough that the player is not left waiting.
    std::chrono::milliseconds drainPatience{2500};

    void play(const Pcm& pcm, std::stop_token stop = {}) override;
    bool connected() const;
    // Lets the server go until the next phrase, which connects again.
    void close();
    // The error text of the last failed connect.
    QString lastError() const;

  private:
    struct Link;
    struct Silence;
    static Loader defaultLoader();
    std::shared_ptr<Link> link();
    // Waits for the drain of the phrase before, until `drainPatience` is up; one never answered
    // leaves its stream behind, and that phrase is said again on a new one.
    void behindUnansweredDrain(const std::stop_token& stop);

    QString server_;
    Loader load_;
    std::shared_ptr<Link> link_;
    std::shared_ptr<Silence> silence_;
    // The phrase before, while its drain may still be under way.
    std::shared_ptr<const Pcm> unanswered_;
    std::chrono::milliseconds restAfter_{60'000};
};

}  // namespace speech
