// Oscillators, envelopes and the voice renderer.
#include "tools/mediagen/Synth.h"

#include <algorithm>
#include <cmath>

namespace mediagen {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Level while the key is held, before the release starts.
double heldLevel(const VoiceShape& shape, double t) {
    if (t < shape.attack) return t / shape.attack;
    t -= shape.attack;
    if (t < shape.decay) return 1.0 - (1.0 - shape.sustain) * (t / shape.decay);
    return shape.sustain;
}

double waveValue(Wave wave, double phase, double duty) {
    switch (wave) {
        case Wave::Square:
            return phase < duty ? 1.0 : -1.0;
        case Wave::Triangle:
            return phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
        case Wave::Saw:
            return 2.0 * phase - 1.0;
        case Wave::Sine:
            return std::sin(kTwoPi * phase);
        case Wave::Noise:
            return 0.0;  // handled by NoiseSource
    }
    return 0.0;
}

// Random levels held for one period of the voice's pitch, so the pitch
// colours the noise: high for a hiss, low for a rumble.
struct NoiseSource {
    std::uint32_t state;
    double level = 0.0;
    double next(bool newPeriod) {
        if (newPeriod) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            level = static_cast<double>(state % 20001) / 10000.0 - 1.0;
        }
        return level;
    }
};

double pitchAt(const Voice& voice, double t) {
    double glide = voice.length > 0.0 ? t / voice.length : 0.0;
    double pitch = voice.pitchStart * std::pow(voice.pitchEnd / voice.pitchStart, glide);
    const VoiceShape& shape = voice.shape;
    if (shape.vibratoDepth > 0.0)
        pitch *= 1.0 + shape.vibratoDepth * std::sin(kTwoPi * shape.vibratoRate * t);
    return pitch;
}

double tremoloAt(const VoiceShape& shape, double t) {
    if (shape.tremoloDepth <= 0.0) return 1.0;
    return 1.0 - shape.tremoloDepth * 0.5 * (1.0 + std::sin(kTwoPi * shape.tremoloRate * t));
}

}  // namespace

double envelopeLevel(const VoiceShape& shape, double length, double t) {
    if (t < 0.0 || t >= length) return 0.0;
    double gate = std::max(0.0, length - shape.release);
    if (t < gate) return heldLevel(shape, t);
    double fade = shape.release > 0.0 ? 1.0 - (t - gate) / shape.release : 0.0;
    return heldLevel(shape, gate) * std::max(0.0, fade);
}

void renderVoice(const Voice& voice, std::vector<float>& mix, int sampleRate) {
    const VoiceShape& shape = voice.shape;
    long first = std::lround(voice.start * sampleRate);
    long count = std::lround(voice.length * sampleRate);
    double smoothing =
        shape.lowpass > 0.0 ? 1.0 - std::exp(-kTwoPi * shape.lowpass / sampleRate) : 1.0;
    NoiseSource noise{voice.seed ? voice.seed : 1u};
    double phase = 0.0, filtered = 0.0;
    bool newPeriod = true;
    for (long i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / sampleRate;
        double raw = shape.wave == Wave::Noise ? noise.next(newPeriod)
                                               : waveValue(shape.wave, phase, shape.duty);
        phase += pitchAt(voice, t) / sampleRate;
        newPeriod = phase >= 1.0;
        if (newPeriod) phase -= std::floor(phase);
        filtered += smoothing * (raw - filtered);
        double value =
            filtered * shape.volume * envelopeLevel(shape, voice.length, t) * tremoloAt(shape, t);
        long at = first + i;
        if (at >= 0 && at < static_cast<long>(mix.size()))
            mix[static_cast<std::size_t>(at)] += static_cast<float>(value);
    }
}

}  // namespace mediagen
