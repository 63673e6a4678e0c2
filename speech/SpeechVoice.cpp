#include "speech/SpeechVoice.h"

#include <exception>

namespace speech {

SpeechVoice::SpeechVoice(FliteSynth& synth, AudioOutput& output, Waiter& waiter)
    : synth_(synth), output_(output), waiter_(waiter) {}

int SpeechVoice::Speak(const QString& text, int /*flags*/) {
    const Pcm pcm = synth_.synthesize(text);
    std::exception_ptr failure;
    waiter_.wait([&] {
        try {
            output_.play(pcm);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure) std::rethrow_exception(failure);
    return ++streams_;
}

}  // namespace speech
