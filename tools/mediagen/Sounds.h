// Sounds built from synthesis recipes (*.sfx): either a list of layers (an
// effect) or instruments, patterns of notes and a song order (music).
#pragma once

#include <vector>

#include "tools/mediagen/Encoders.h"
#include "tools/mediagen/Source.h"
#include "tools/mediagen/Synth.h"

namespace mediagen {

struct SoundRecipe {
    SoundFormat format;
    long sampleCount = 0;
    double gain = 1.0;
    std::vector<Voice> voices;
};

SoundRecipe parseSound(SourceText& source);

// The mixed samples. A mix that would clip is an error, so every sound
// keeps its shape as written.
std::vector<float> renderSound(const SoundRecipe& recipe, const std::string& name);

// Frequency of a note name such as "a4" (440 Hz), "c#5" or "bb3"; 0 when
// the word is not a note name.
double noteFrequency(const std::string& name);

}  // namespace mediagen
