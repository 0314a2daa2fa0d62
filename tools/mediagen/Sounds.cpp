// Parsing of effect layers and of music (instruments, patterns, song), and
// the final mix.
#include "tools/mediagen/Sounds.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <string>

namespace mediagen {

namespace {

struct Instrument {
    VoiceShape shape;
    double pitch = 440.0;  // for the note "x": the instrument's own pitch (drums)
    double drop = 1.0;     // pitch at the end of a note, as a part of its start pitch
};

struct Note {
    double pitch = 0.0;  // 0 = rest
    double beats = 0.0;
};

struct Pattern {
    double beats = 0.0;
    std::vector<std::pair<std::string, std::vector<Note>>> lines;
};

struct SoundParse {
    SourceText& source;
    SoundRecipe recipe{};
    double length = -1.0;  // seconds, for effects
    double tempo = 0.0;    // beats a minute, for music
    std::map<std::string, Instrument> instruments{};
    std::map<std::string, Pattern> patterns{};
    std::vector<std::string> song{};
    std::uint32_t nextSeed = 12345;
};

bool isNumber(const std::string& word) {
    return !word.empty() &&
           (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-' || word[0] == '.');
}

Wave parseWave(const SourceText& source, int line, const std::string& word) {
    static const std::map<std::string, Wave> waves{{"square", Wave::Square},
                                                   {"triangle", Wave::Triangle},
                                                   {"saw", Wave::Saw},
                                                   {"sine", Wave::Sine},
                                                   {"noise", Wave::Noise}};
    auto found = waves.find(word);
    if (found == waves.end())
        source.fail(line, "unknown waveform '" + word + "' (square, triangle, saw, sine, noise)");
    return found->second;
}

// Settings after the waveform are "key value [value]" groups; returns the
// values of each key in order of appearance.
std::vector<std::pair<std::string, std::vector<double>>> settings(
    const SourceText& source, int line, const std::vector<std::string>& words, std::size_t first) {
    std::vector<std::pair<std::string, std::vector<double>>> result;
    for (std::size_t i = first; i < words.size(); ++i) {
        if (isNumber(words[i])) {
            if (result.empty())
                source.fail(line, "a number without a setting name: '" + words[i] + "'");
            result.back().second.push_back(parseNumber(source, line, words[i]));
        } else {
            result.push_back({words[i], {}});
        }
    }
    for (const auto& [key, values] : result) {
        if (values.empty()) source.fail(line, "the setting '" + key + "' has no value");
    }
    return result;
}

double oneValue(const SourceText& source, int line, const std::string& key,
                const std::vector<double>& values, double least, double most) {
    if (values.size() != 1) source.fail(line, "'" + key + "' takes one value");
    if (values[0] < least || values[0] > most) {
        source.fail(line, "'" + key + "' runs from " + std::to_string(least) + " to " +
                              std::to_string(most));
    }
    return values[0];
}

// The number of a "KEY VALUE" statement, within least ... most.
double statementValue(const SourceText& source, int line, const std::vector<std::string>& words,
                      double least, double most) {
    return oneValue(source, line, words[0], {parseNumber(source, line, words[1])}, least, most);
}

// Applies a setting of the voice shape; false when the key is not one.
bool applyShapeSetting(VoiceShape& shape, const SourceText& source, int line,
                       const std::string& key, const std::vector<double>& values) {
    auto pair = [&](double& rate, double& depth) {
        if (values.size() != 2) source.fail(line, "'" + key + "' takes a rate and a depth");
        rate = values[0];
        depth = values[1];
    };
    if (key == "volume")
        shape.volume = oneValue(source, line, key, values, 0.0, 1.0);
    else if (key == "duty")
        shape.duty = oneValue(source, line, key, values, 0.01, 0.99);
    else if (key == "attack")
        shape.attack = oneValue(source, line, key, values, 0.0, 10.0);
    else if (key == "decay")
        shape.decay = oneValue(source, line, key, values, 0.0, 10.0);
    else if (key == "sustain")
        shape.sustain = oneValue(source, line, key, values, 0.0, 1.0);
    else if (key == "release")
        shape.release = oneValue(source, line, key, values, 0.0, 10.0);
    else if (key == "lowpass")
        shape.lowpass = oneValue(source, line, key, values, 10.0, 20000.0);
    else if (key == "tremolo")
        pair(shape.tremoloRate, shape.tremoloDepth);
    else if (key == "vibrato")
        pair(shape.vibratoRate, shape.vibratoDepth);
    else
        return false;
    return true;
}

void parseLayer(SoundParse& p, const SourceLine& line, const std::vector<std::string>& words) {
    if (words.size() < 2) p.source.fail(line.number, "usage: layer WAVE [settings]");
    Voice voice;
    voice.shape.wave = parseWave(p.source, line.number, words[1]);
    voice.seed = p.nextSeed++;
    for (const auto& [key, values] : settings(p.source, line.number, words, 2)) {
        if (applyShapeSetting(voice.shape, p.source, line.number, key, values)) continue;
        if (key == "start") {
            voice.start = oneValue(p.source, line.number, key, values, 0.0, 600.0);
        } else if (key == "length") {
            voice.length = oneValue(p.source, line.number, key, values, 0.001, 600.0);
        } else if (key == "pitch" && (values.size() == 1 || values.size() == 2) && values[0] > 0 &&
                   values.back() > 0) {
            voice.pitchStart = values[0];
            voice.pitchEnd = values.back();
        } else {
            p.source.fail(line.number, "unknown or malformed layer setting '" + key + "'");
        }
    }
    p.recipe.voices.push_back(voice);
}

void parseInstrument(SoundParse& p, const SourceLine& line, const std::vector<std::string>& words) {
    if (words.size() < 3) p.source.fail(line.number, "usage: instrument NAME WAVE [settings]");
    Instrument instrument;
    instrument.shape.wave = parseWave(p.source, line.number, words[2]);
    for (const auto& [key, values] : settings(p.source, line.number, words, 3)) {
        if (applyShapeSetting(instrument.shape, p.source, line.number, key, values)) continue;
        if (key == "pitch")
            instrument.pitch = oneValue(p.source, line.number, key, values, 1.0, 22050.0);
        else if (key == "drop")
            instrument.drop = oneValue(p.source, line.number, key, values, 0.01, 100.0);
        else
            p.source.fail(line.number, "unknown instrument setting '" + key + "'");
    }
    p.instruments[words[1]] = instrument;
}

// A note word: NAME/LENGTH with NAME a note ("c5", "f#3", "bb4"), "r" for a
// rest or "x" for the instrument's own pitch; LENGTH 1, 2, 4, 8, 16 or 32
// (a whole, half, quarter … note), with a trailing '.' for dotted.
Note parseNote(const SoundParse& p, int line, const Instrument& instrument,
               const std::string& word) {
    std::size_t slash = word.find('/');
    if (slash == std::string::npos)
        p.source.fail(line, "a note is NAME/LENGTH, not '" + word + "'");
    std::string name = word.substr(0, slash), length = word.substr(slash + 1);
    bool dotted = !length.empty() && length.back() == '.';
    if (dotted) length.pop_back();
    static const std::map<std::string, double> beats{{"1", 4.0}, {"2", 2.0},   {"4", 1.0},
                                                     {"8", 0.5}, {"16", 0.25}, {"32", 0.125}};
    auto found = beats.find(length);
    if (found == beats.end()) p.source.fail(line, "unknown note length in '" + word + "'");
    Note note;
    note.beats = found->second * (dotted ? 1.5 : 1.0);
    if (name == "x")
        note.pitch = instrument.pitch;
    else if (name != "r")
        note.pitch = noteFrequency(name);
    if (name != "r" && note.pitch <= 0.0)
        p.source.fail(line, "unknown note name in '" + word + "'");
    return note;
}

void parsePatternLine(SoundParse& p, Pattern& pattern, const SourceLine& line) {
    auto words = splitWords(p.source, line);
    std::string name = words[0];
    if (name.size() < 2 || name.back() != ':')
        p.source.fail(line.number, "a pattern line starts with 'INSTRUMENT:'");
    name.pop_back();
    auto instrument = p.instruments.find(name);
    if (instrument == p.instruments.end())
        p.source.fail(line.number, "unknown instrument '" + name + "'");
    std::vector<Note> notes;
    for (std::size_t i = 1; i < words.size(); ++i)
        notes.push_back(parseNote(p, line.number, instrument->second, words[i]));
    pattern.lines.push_back({name, notes});
}

double beatsOf(const std::vector<Note>& notes) {
    double sum = 0.0;
    for (const Note& note : notes) sum += note.beats;
    return sum;
}

// Lines of the same instrument continue each other; every instrument of a
// pattern must fill the same number of beats.
void checkPatternLengths(SoundParse& p, Pattern& pattern, int line) {
    std::map<std::string, double> perInstrument;
    for (const auto& [name, notes] : pattern.lines) perInstrument[name] += beatsOf(notes);
    for (const auto& [name, beats] : perInstrument) {
        if (pattern.beats == 0.0) pattern.beats = beats;
        if (std::abs(beats - pattern.beats) > 1e-9) {
            p.source.fail(line, "in this pattern '" + name + "' fills " + std::to_string(beats) +
                                    " beats, others " + std::to_string(pattern.beats));
        }
    }
}

void parsePattern(SoundParse& p, const SourceLine& start, const std::vector<std::string>& words) {
    if (words.size() != 2)
        p.source.fail(start.number,
                      "usage: pattern NAME, then 'INSTRUMENT: notes' lines, then 'end'");
    Pattern pattern;
    SourceLine line;
    while (true) {
        if (!p.source.nextStatement(line))
            p.source.fail(start.number, "the pattern has no 'end' line");
        if (line.text == "end") break;
        parsePatternLine(p, pattern, line);
    }
    checkPatternLengths(p, pattern, start.number);
    p.patterns[words[1]] = pattern;
}

void parseStatement(SoundParse& p, const SourceLine& line) {
    auto words = splitWords(p.source, line);
    const std::string& key = words[0];
    if (key == "bits" && words.size() == 2) {
        p.recipe.format.bitsPerSample = parseInt(p.source, line.number, words[1]);
        if (p.recipe.format.bitsPerSample != 8 && p.recipe.format.bitsPerSample != 16) {
            p.source.fail(line.number, "bits is 8 or 16");
        }
    } else if (key == "length" && words.size() == 2) {
        p.length = statementValue(p.source, line.number, words, 0.001, 600.0);
    } else if (key == "gain" && words.size() == 2) {
        p.recipe.gain = statementValue(p.source, line.number, words, 0.0, 10.0);
    } else if (key == "tempo" && words.size() == 2) {
        p.tempo = statementValue(p.source, line.number, words, 20.0, 400.0);
    } else if (key == "layer") {
        parseLayer(p, line, words);
    } else if (key == "instrument") {
        parseInstrument(p, line, words);
    } else if (key == "pattern") {
        parsePattern(p, line, words);
    } else if (key == "song") {
        p.song.insert(p.song.end(), words.begin() + 1, words.end());
    } else {
        p.source.fail(line.number, "unknown or malformed sound statement '" + key + "'");
    }
}

void addPatternVoices(SoundParse& p, const Pattern& pattern, double startBeat,
                      double secondsPerBeat) {
    for (const auto& [name, notes] : pattern.lines) {
        const Instrument& instrument = p.instruments.at(name);
        double beat = startBeat;
        for (const Note& note : notes) {
            if (note.pitch > 0.0) {
                Voice voice{
                    instrument.shape, beat * secondsPerBeat,        note.beats * secondsPerBeat,
                    note.pitch,       note.pitch * instrument.drop, p.nextSeed++};
                p.recipe.voices.push_back(voice);
            }
            beat += note.beats;
        }
    }
}

// Lines of an instrument continue each other, so the notes of a repeated
// instrument line start where its previous line ended.
Pattern joinInstrumentLines(const Pattern& pattern) {
    Pattern joined;
    joined.beats = pattern.beats;
    for (const auto& line : pattern.lines) {
        auto same = std::find_if(joined.lines.begin(), joined.lines.end(),
                                 [&](const auto& l) { return l.first == line.first; });
        if (same == joined.lines.end())
            joined.lines.push_back(line);
        else
            same->second.insert(same->second.end(), line.second.begin(), line.second.end());
    }
    return joined;
}

void buildSong(SoundParse& p) {
    double secondsPerBeat = 60.0 / p.tempo;
    double beat = 0.0;
    for (const std::string& name : p.song) {
        auto pattern = p.patterns.find(name);
        if (pattern == p.patterns.end())
            throw SourceError(p.source.name() + ": the song names an unknown pattern '" + name +
                              "'");
        addPatternVoices(p, joinInstrumentLines(pattern->second), beat, secondsPerBeat);
        beat += pattern->second.beats;
    }
    p.recipe.sampleCount = std::lround(beat * secondsPerBeat * p.recipe.format.sampleRate);
}

}  // namespace

double noteFrequency(const std::string& name) {
    static const std::map<char, int> semitones{{'c', 0}, {'d', 2}, {'e', 4}, {'f', 5},
                                               {'g', 7}, {'a', 9}, {'b', 11}};
    if (name.size() < 2 || !semitones.count(name[0])) return 0.0;
    int semitone = semitones.at(name[0]);
    std::size_t i = 1;
    if (name[i] == '#')
        ++semitone, ++i;
    else if (name[i] == 'b' && name.size() > 2)
        --semitone, ++i;
    if (i + 1 != name.size() || !std::isdigit(static_cast<unsigned char>(name[i]))) return 0.0;
    int midi = 12 * (name[i] - '0' + 1) + semitone;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

SoundRecipe parseSound(SourceText& source) {
    SoundParse p{source};
    SourceLine line;
    while (source.nextStatement(line)) parseStatement(p, line);
    bool isMusic = !p.song.empty();
    if (isMusic == (p.length > 0.0)) {
        throw SourceError(
            source.name() +
            ": a sound has either 'length' and layers, or 'tempo', patterns and a 'song'");
    }
    if (isMusic) {
        if (p.tempo <= 0.0) throw SourceError(source.name() + ": music needs a 'tempo'");
        buildSong(p);
    } else {
        p.recipe.sampleCount = std::lround(p.length * p.recipe.format.sampleRate);
    }
    return p.recipe;
}

std::vector<float> renderSound(const SoundRecipe& recipe, const std::string& name) {
    std::vector<float> mix(static_cast<std::size_t>(recipe.sampleCount), 0.0f);
    for (const Voice& voice : recipe.voices) renderVoice(voice, mix, recipe.format.sampleRate);
    float peak = 0.0f;
    for (float& sample : mix) {
        sample = static_cast<float>(sample * recipe.gain);
        peak = std::max(peak, std::abs(sample));
    }
    if (peak > 1.0f) {
        throw SourceError(name + ": the mix reaches " + std::to_string(peak) +
                          " of full scale and would clip; lower the volumes or the gain");
    }
    return mix;
}

}  // namespace mediagen
