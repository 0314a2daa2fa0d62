// A small synthesiser: voices of a plain waveform with a pitch glide,
// an envelope, tremolo, vibrato and a low-pass, mixed into one mono track.
#pragma once

#include <cstdint>
#include <vector>

namespace mediagen {

enum class Wave { Square, Triangle, Saw, Sine, Noise };

// How a voice sounds, apart from when and at what pitch.
struct VoiceShape {
    Wave wave = Wave::Square;
    double volume = 0.5;
    double duty = 0.5;  // part of a square period that is high
    double attack = 0.004;
    double decay = 0.0;
    double sustain = 1.0;  // level after the decay, 0 … 1
    double release = 0.02;
    double tremoloRate = 0.0, tremoloDepth = 0.0;  // depth 0 … 1
    double vibratoRate = 0.0, vibratoDepth = 0.0;  // depth as a part of the pitch
    double lowpass = 0.0;                          // cut-off in Hz, 0 = none
};

struct Voice {
    VoiceShape shape;
    double start = 0.0;   // seconds
    double length = 0.1;  // seconds; the release ends within it
    double pitchStart = 440.0;
    double pitchEnd = 440.0;  // the pitch glides evenly in octaves from start to end
    std::uint32_t seed = 1;   // noise voices: start of the random sequence
};

// Envelope level at time t of a voice of the given length: attack, decay to
// the sustain level, and a release that reaches zero exactly at the end.
double envelopeLevel(const VoiceShape& shape, double length, double t);

// Adds the voice into the mix; samples outside the mix are dropped.
void renderVoice(const Voice& voice, std::vector<float>& mix, int sampleRate);

}  // namespace mediagen
