#pragma once

#include "speech/Pcm.h"

#include <QString>

struct cst_voice_struct;

namespace speech {

// In-process synthesis with Flite's US English kal16 voice, at its default rate and volume.
class FliteSynth {
  public:
    FliteSynth();
    // The text is spoken as plain text: it is never read as markup, and characters the voice
    // cannot say are left out rather than passed on.
    Pcm synthesize(const QString& text);

    // What actually reaches the engine for `text`.
    static QByteArray plainText(const QString& text);

  private:
    cst_voice_struct* voice_;
};

}  // namespace speech
