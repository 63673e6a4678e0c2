// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/SpeechVoice.h"

#include "speech/Pacing.h"

#include <exception>
#include <stop_token>
#include <thread>
#include <utility>

namespace speech {

SpeechVoice::SpeechVoice(FliteSynth& synth, AudioOutput& output, Waiter& waiter)
    : synth_(synth), output_(output), waiter_(waiter) {}

SpeechVoice::~SpeechVoice() {
    if (preparing_.valid()) preparing_.wait();
}

void SpeechVoice::prepare(const QStringList& phrases) {
    if (preparing_.valid()) preparing_.wait();
    // The map is filled here alone until Speak has waited for this job.
    preparing_ = std::async(std::launch::async, [this, phrases] {
        for (const QString& phrase : phrases) prepared_[phrase] = synth_.synthesize(phrase);
    });
}

int SpeechVoice::Speak(const QString& text, int /*flags*/) {
    // Phrases the game says one after another (a verdict, then the next word) keep the beat
    // between them. A phrase asked for later answers a key pressed after the last one was over,
    // and starts at once.
    const bool chained =
        lastReturn_ && Clock::now() - *lastReturn_ < std::chrono::milliseconds(ChainMs);
    std::exception_ptr failure;
    std::stop_source cancel;
    waiter_.wait(
        [&] {
            try {
                play(text, chained, cancel.get_token());
            } catch (...) {
                failure = std::current_exception();
            }
        },
        cancel);
    lastReturn_ = Clock::now();
    if (failure) std::rethrow_exception(failure);
    return ++streams_;
}

void SpeechVoice::play(const QString& text, bool chained, std::stop_token stop) {
    if (preparing_.valid()) preparing_.get();
    // A prepared phrase is played from where it is kept, not copied.
    const auto ready = prepared_.find(text);
    Pcm fresh;
    if (ready == prepared_.end()) fresh = synth_.synthesize(text);
    const Pcm& pcm = ready != prepared_.end() ? ready->second : fresh;
    // The beat passes while the phrase is made, not after it.
    const SoundExtent heard = heardExtent(pcm);
    if (chained && lastHeard_) {
        std::this_thread::sleep_until(*lastHeard_ + std::chrono::milliseconds(PauseMs) -
                                      pcm.timeOf(heard.first));
    }
    output_.play(pcm, std::move(stop));
    if (heard.first != heard.last) {
        lastHeard_ = Clock::now() - pcm.timeOf(pcm.samples.size() - heard.last);
    }
}

}  // namespace speech
