// The mixer side of the sound device on SDL2_mixer: device, conversion of samples
// to the device's format, channels reserved per sound slot (each repeating its sound
// through a gate, which ends it, follows it on, or fades it out), and the music player.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "sound/ChannelGate.h"
#include "sound/SoundMixer.h"

struct sound_mixer::SampleBlock {
    std::vector<Uint8> samples;
    Mix_Chunk* chunk = nullptr;
};

namespace {
bool g_open = false;
std::string g_openError;  // why the device could not be opened
std::vector<bool> g_channelUsed;
std::vector<std::unique_ptr<ChannelGate>> g_gates;  // one per channel, never moved
int g_frameBytes = 4;                               // of the device's output
int g_fadeFrames = 110;                             // at the device's rate

// The fade after a stop: 5 ms, long enough to end the wave without a click.
constexpr int kFadeMilliseconds = 5;
// How long a channel that is let go may take to finish its fade: the blocks the mixer
// has computed ahead, and the fade itself, with room to spare.
constexpr Uint64 kFadeWaitMilliseconds = 100;
Mix_Music* g_music = nullptr;

// Converted sounds larger than this are refused (over twelve minutes at the device rate).
constexpr size_t kMaximumConvertedBytes = size_t(64) << 20;

bool ValidChannel(int channel) {
    return g_open && channel >= 0 && channel < int(g_channelUsed.size()) && g_channelUsed[channel];
}

// Converts the whole sound in one pass, so every frame comes out at the device's
// rate. (An SDL audio stream of this SDL version keeps back part of a block this
// large even after a flush, and the end of the sound would be lost.)
bool Convert(const WavSound& sound, std::vector<Uint8>& out) {
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    if (!Mix_QuerySpec(&frequency, &format, &channels)) return false;
    size_t frames = sound.sampleBytes / size_t(sound.blockAlign);
    double estimate =
        double(frames) * frequency / sound.sampleRate * channels * SDL_AUDIO_BITSIZE(format) / 8;
    if (estimate > double(kMaximumConvertedBytes)) return false;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, sound.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB,
                          Uint8(sound.channels), int(sound.sampleRate), format, Uint8(channels),
                          frequency) < 0)
        return false;
    // The converter works in place and needs room for its widest step.
    size_t room = sound.sampleBytes * size_t(cvt.len_mult);
    if (cvt.len_mult < 1 || sound.sampleBytes > size_t(SDL_MAX_SINT32) ||
        room > 2 * kMaximumConvertedBytes + sound.sampleBytes)
        return false;
    out.assign(sound.samples, sound.samples + sound.sampleBytes);
    out.resize(room);
    cvt.buf = out.data();
    cvt.len = int(sound.sampleBytes);
    if (SDL_ConvertAudio(&cvt) != 0 || cvt.len_cvt <= 0 || size_t(cvt.len_cvt) > room) return false;
    out.resize(size_t(cvt.len_cvt));
    out.shrink_to_fit();
    return true;
}

// An attenuation in hundredths of a decibel (0 or less) as a level of 0 ... full.
int Level(int attenuation, int full) {
    if (attenuation <= -10000) return 0;
    return int(std::lround(full * std::pow(10.0, attenuation / 2000.0)));
}

// Runs on the mixer's thread, on each piece of a channel's output before it is mixed.
void GateEffect(int, void* stream, int length, void* gate) {
    static_cast<ChannelGate*>(gate)->Process(static_cast<int16_t*>(stream), length, SDL_GetTicks());
}

void AddChannels(int count) {
    g_channelUsed.resize(size_t(count), false);
    while (int(g_gates.size()) < count) g_gates.push_back(std::make_unique<ChannelGate>());
}

// A channel whose sound is over (or stopped, fading out) is halted before it is set up
// for its next sound, so that the settings of that sound stay.
void Settle(int channel) {
    if (g_gates[size_t(channel)]->Over() && Mix_Playing(channel)) Mix_HaltChannel(channel);
}

// Before a channel, or the samples it plays, are let go: the fade of a stop just asked
// for (a sound reloaded straight after a stop) is heard to its end, not cut.
void AwaitFade(int channel) {
    const ChannelGate& gate = *g_gates[size_t(channel)];
    for (Uint64 end = SDL_GetTicks64() + kFadeWaitMilliseconds;
         gate.Fading() && Mix_Playing(channel) && SDL_GetTicks64() < end;)
        SDL_Delay(1);
}
}  // namespace

namespace sound_mixer {
void FreeMusic();

bool OpenDevice() {
    if (g_open) return true;
    g_openError.clear();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        g_openError = SDL_GetError();
        return false;
    }
    if (Mix_OpenAudio(22050, AUDIO_S16SYS, 2, kMixerBufferFrames) != 0) {
        g_openError = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    g_frameBytes = 2 * (channels > 0 ? channels : 2);  // 16-bit samples
    g_fadeFrames = frequency * kFadeMilliseconds / 1000;
    Mix_AllocateChannels(16);
    g_channelUsed.clear();
    AddChannels(16);
    g_open = true;
    return true;
}

void CloseDevice() {
    if (!g_open) return;
    FreeMusic();
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_channelUsed.clear();
    g_open = false;
}

SampleBlock* MakeSampleBlock(const WavSound& sound) {
    if (!g_open) return nullptr;
    SampleBlock* block = new SampleBlock();
    if (!Convert(sound, block->samples) ||
        !(block->chunk = Mix_QuickLoad_RAW(block->samples.data(), Uint32(block->samples.size())))) {
        delete block;
        return nullptr;
    }
    return block;
}

void FreeSampleBlock(SampleBlock* block) {
    if (!block) return;
    if (block->chunk) Mix_FreeChunk(block->chunk);  // the samples themselves are ours
    delete block;
}

int ReserveChannel() {
    if (!g_open) return -1;
    for (size_t i = 0; i < g_channelUsed.size(); ++i)
        if (!g_channelUsed[i]) {
            g_channelUsed[i] = true;
            return int(i);
        }
    int channel = int(g_channelUsed.size());
    if (Mix_AllocateChannels(channel + 16) < channel + 1) return -1;
    AddChannels(channel + 16);
    g_channelUsed[channel] = true;
    return channel;
}

void ReleaseChannel(int channel) {
    if (!ValidChannel(channel)) return;
    AwaitFade(channel);
    Mix_HaltChannel(channel);
    Mix_Volume(channel, MIX_MAX_VOLUME);
    Mix_SetPanning(channel, 255, 255);
    g_channelUsed[channel] = false;
}

bool ChannelPlaying(int channel) {
    return ValidChannel(channel) && Mix_Playing(channel) != 0 && !g_gates[size_t(channel)]->Over();
}

void ChannelAskedAgain(int channel) {
    if (ChannelPlaying(channel)) g_gates[size_t(channel)]->AskAgain(SDL_GetTicks());
}

// The sound fades out; to the program it has stopped at once. A channel that is silent
// already, or fading to silence, is left as it is.
bool StopChannel(int channel) {
    if (!ValidChannel(channel)) return false;
    if (ChannelPlaying(channel)) g_gates[size_t(channel)]->Stop();
    return true;
}

void SetChannelVolume(int channel, int volume) {
    if (!ValidChannel(channel)) return;
    Settle(channel);
    Mix_Volume(channel, Level(volume > 0 ? 0 : volume, MIX_MAX_VOLUME));
}

void SetChannelPan(int channel, int pan) {
    if (!ValidChannel(channel)) return;
    Settle(channel);
    if (pan > 10000) pan = 10000;
    if (pan < -10000) pan = -10000;
    Uint8 left = Uint8(pan > 0 ? Level(-pan, 255) : 255);
    Uint8 right = Uint8(pan < 0 ? Level(pan, 255) : 255);
    Mix_SetPanning(channel, left, right);
}

// The mixer repeats every sound; the channel's gate decides how many passes are heard.
bool PlayChannel(int channel, SampleBlock* block, bool looping) {
    if (!ValidChannel(channel) || !block || !block->chunk || block->chunk->alen == 0) return false;
    Settle(channel);
    ChannelGate& gate = *g_gates[size_t(channel)];
    gate.Start(int(block->chunk->alen), g_frameBytes, g_fadeFrames, looping);
    if (!Mix_RegisterEffect(channel, GateEffect, nullptr, &gate)) return false;
    if (Mix_PlayChannel(channel, block->chunk, -1) == channel) return true;
    Mix_UnregisterEffect(channel, GateEffect);  // not left to run twice with the next play
    return false;
}

bool LoadMusic(const char* path) {
    FreeMusic();
    if (!g_open || !path) return false;
    g_music = Mix_LoadMUS(path);
    return g_music != nullptr;
}

bool StartMusic() { return g_music && Mix_PlayMusic(g_music, 0) == 0; }

bool MusicAtEnd() {
    if (!g_music) return false;
    if (!Mix_PlayingMusic()) return true;
    double length = Mix_MusicDuration(g_music);
    double position = Mix_GetMusicPosition(g_music);
    return length > 0 && position >= 0 && length <= position;
}

bool MusicLoaded() { return g_music != nullptr; }

void FreeMusic() {
    if (!g_music) return;
    Mix_HaltMusic();
    Mix_FreeMusic(g_music);
    g_music = nullptr;
}
}  // namespace sound_mixer

namespace {
// The back-end object over the functions above.
class SdlMixer : public SoundMixer {
  public:
    bool OpenDevice() override { return sound_mixer::OpenDevice(); }
    void CloseDevice() override { sound_mixer::CloseDevice(); }
    std::string DeviceError() const override { return g_openError; }
    sound_mixer::SampleBlock* MakeSampleBlock(const WavSound& sound) override {
        return sound_mixer::MakeSampleBlock(sound);
    }
    void FreeSampleBlock(sound_mixer::SampleBlock* block) override {
        sound_mixer::FreeSampleBlock(block);
    }
    int ReserveChannel() override { return sound_mixer::ReserveChannel(); }
    void ReleaseChannel(int channel) override { sound_mixer::ReleaseChannel(channel); }
    bool ChannelPlaying(int channel) override { return sound_mixer::ChannelPlaying(channel); }
    void ChannelAskedAgain(int channel) override { sound_mixer::ChannelAskedAgain(channel); }
    bool StopChannel(int channel) override { return sound_mixer::StopChannel(channel); }
    void SetChannelVolume(int channel, int volume) override {
        sound_mixer::SetChannelVolume(channel, volume);
    }
    void SetChannelPan(int channel, int pan) override { sound_mixer::SetChannelPan(channel, pan); }
    bool PlayChannel(int channel, sound_mixer::SampleBlock* block, bool looping) override {
        return sound_mixer::PlayChannel(channel, block, looping);
    }
    bool LoadMusic(const char* path) override { return sound_mixer::LoadMusic(path); }
    bool StartMusic() override { return sound_mixer::StartMusic(); }
    bool MusicAtEnd() override { return sound_mixer::MusicAtEnd(); }
    bool MusicLoaded() override { return sound_mixer::MusicLoaded(); }
    void FreeMusic() override { sound_mixer::FreeMusic(); }
};
}  // namespace

SoundMixer& SdlSoundMixer() {
    static SdlMixer mixer;
    return mixer;
}
