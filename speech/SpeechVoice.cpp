// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/SpeechVoice.h"

#include <exception>
#include <stop_token>
#include <utility>

namespace speech {

SpeechVoice::SpeechVoice(FliteSynth& synth, AudioOutput& output, Waiter& waiter)
    : synth_(synth), output_(output), waiter_(waiter) {}

void SpeechVoice::prepare(const QStringList& phrases) {
    for (const QString& phrase : phrases) prepared_[phrase] = synth_.synthesize(phrase);
}

int SpeechVoice::Speak(const QString& text, int /*flags*/) {
    // A prepared phrase is played from where it is kept, not copied.
    const auto ready = prepared_.find(text);
    Pcm fresh;
    if (ready == prepared_.end()) fresh = synth_.synthesize(text);
    const Pcm& pcm = ready != prepared_.end() ? ready->second : fresh;
    std::exception_ptr failure;
    std::stop_source cancel;
    waiter_.wait(
        [&] {
            try {
                output_.play(pcm, cancel.get_token());
            } catch (...) {
                failure = std::current_exception();
            }
        },
        cancel);
    if (failure) std::rethrow_exception(failure);
    return ++streams_;
}

}  // namespace speech
