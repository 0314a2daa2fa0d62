// The time from a play call to its sound in the output, through SDL's disk audio driver,
// which writes the mixed output to a file at the pace a device would take it. A short loud
// tone is played at random moments and found in the output file. Two figures:
// - in the output: where the tone begins, against when it was asked for, on the output's
//   own clock (one frame per 1/22050 s; its origin is taken from the quickest of the
//   neighbouring plays, which came just before a block was mixed). This is the wait for
//   the next mixed block, what a player hears late, before any queue of a real device;
// - in the file: when the tone could first be read back, which adds the file's own
//   buffering (the driver writes through a 4 KiB stdio buffer).
// Prints the mixer's block size with both, and the same for SDL_mixer alone with blocks of
// 1024 frames as the reference of the run. Run by hand:
//   build/<kind>/bench/sound/sound_latency_bench [plays, 40]
#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "runtime/Options.h"
#include "sound/SFXSound.h"

namespace {
using Clock = std::chrono::steady_clock;

void Put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}

// 30 ms of a steady level, 16-bit mono at 22050 Hz: its first sample is easy to find.
std::string ToneFile() {
    const uint32_t frames = 22050 * 30 / 1000;
    std::string wav = "RIFF";
    Put(wav, 36 + frames * 2, 4);
    wav += "WAVEfmt ";
    Put(wav, 16, 4);
    Put(wav, 1, 2);
    Put(wav, 1, 2);
    Put(wav, 22050, 4);
    Put(wav, 44100, 4);
    Put(wav, 2, 2);
    Put(wav, 16, 2);
    wav += "data";
    Put(wav, frames * 2, 4);
    for (uint32_t f = 0; f < frames; ++f) Put(wav, 20000, 2);
    return wav;
}

// The output frame at which the tone begins, at or after byte `from`; -1 while it is not
// in the file yet.
long ToneStartAfter(const std::string& path, std::streamoff from) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(from);
    int16_t sample;
    for (std::streamoff at = from; in.read(reinterpret_cast<char*>(&sample), 2); at += 2)
        if (sample > 10000) return long(at / 4);  // 16-bit stereo frames
    return -1;
}

struct Figures {
    double mean = 0, ninetieth = 0, longest = 0;
};

Figures Summary(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    Figures f;
    for (double v : values) f.mean += v / double(values.size());
    f.ninetieth = values[values.size() * 9 / 10];
    f.longest = values.back();
    return f;
}

std::streamoff FileLength(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return in ? std::streamoff(in.tellg()) : 0;
}
double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Plays the tone at random moments; for each play, the wait until it could be read back
// from the file, and its start on the output's clock.
void MeasurePlays(const std::function<void()>& play, const std::string& output, int plays,
                  std::vector<double>& inFile, std::vector<double>& onOutputClock) {
    std::mt19937 random(7);
    Clock::time_point origin = Clock::now();
    for (int i = 0; i < plays; ++i) {
        SDL_Delay(60 + random() % 60);  // the tone is over, and the moment is a random one
        std::streamoff before = FileLength(output);
        Clock::time_point played = Clock::now();
        play();
        long start;
        while ((start = ToneStartAfter(output, before)) < 0) SDL_Delay(1);
        inFile.push_back(Milliseconds(played, Clock::now()));
        onOutputClock.push_back(1000.0 * double(start) / 22050 - Milliseconds(origin, played));
    }
    // The driver's clock drifts behind the wall clock on a busy machine: each play is
    // measured against the quickest of its ten neighbours, not of the whole run.
    std::vector<double> offsets = onOutputClock;
    for (size_t i = 0; i < offsets.size(); ++i) {
        size_t from = i < 5 ? 0 : i - 5, to = std::min(offsets.size(), i + 6);
        onOutputClock[i] = offsets[i] - *std::min_element(&offsets[from], &offsets[0] + to);
    }
}
}  // namespace

void Print(const char* what, int blockFrames, const std::vector<double>& inFile,
           const std::vector<double>& onOutputClock) {
    Figures out = Summary(onOutputClock), file = Summary(inFile);
    std::printf("%s, mixer block %d frames (%.1f ms at 22050 Hz)\n", what, blockFrames,
                1000.0 * blockFrames / 22050);
    std::printf("  play to output: mean %.1f ms, 90%% %.1f ms, longest %.1f ms\n", out.mean,
                out.ninetieth, out.longest);
    std::printf("  play to file:   mean %.1f ms, 90%% %.1f ms, longest %.1f ms\n", file.mean,
                file.ninetieth, file.longest);
}

// The runtime's sound slot on its device, then, as the reference of the same run, SDL_mixer
// alone with the 1024-frame blocks the runtime used to take.
int main(int argc, char** argv) {
    int plays = std::max(1, argc > 1 ? std::atoi(argv[1]) : 40);
    std::string folder = "/tmp/kv_latency_" + std::to_string(getpid());
    std::string output = folder + "/output.raw", tone = folder + "/tone.wav";
    std::filesystem::create_directories(folder);
    std::ofstream(tone, std::ios::binary) << ToneFile();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    KvOptions().headless = false;
    std::vector<double> inFile, onOutputClock;
    {
        SFXSound device;
        if (device.Create(nullptr) != 1) return std::fprintf(stderr, "no disk device\n"), 1;
        SFXSoundBuffer slot;
        if (!slot.Load(&device, tone.c_str(), 1)) return std::fprintf(stderr, "no tone\n"), 1;
        MeasurePlays([&] { slot.Play(0, 0, 0); }, output, plays, inFile, onOutputClock);
        Print("PLAYSOUND's slot", kMixerBufferFrames, inFile, onOutputClock);
    }
    inFile.clear();
    onOutputClock.clear();
    SDL_InitSubSystem(SDL_INIT_AUDIO);
    if (Mix_OpenAudio(22050, AUDIO_S16SYS, 2, 1024) != 0) return 1;
    Mix_Chunk* chunk = Mix_LoadWAV(tone.c_str());
    if (!chunk) return 1;
    MeasurePlays([&] { Mix_PlayChannel(0, chunk, 0); }, output, plays, inFile, onOutputClock);
    Print("reference", 1024, inFile, onOutputClock);
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::filesystem::remove_all(folder);
    return 0;
}
