// The mixer side of the sound device, the sound back-end: the output device, sample
// blocks in the device's format, play channels, and the music player. SFXSound and
// SFXSoundBuffer hold the rules above it and work on either back-end: SDL2_mixer,
// or the null mixer of programs that have no sound device.
#pragma once

#include <string>

#include "sound/WavReader.h"

namespace sound_mixer {
// A block of samples converted once to the device's format; shared by every channel
// of a slot.
struct SampleBlock;
}  // namespace sound_mixer

// The frames the mixer computes at a time: a sound asked for waits up to this long.
constexpr int kMixerBufferFrames = 512;

class SoundMixer {
  public:
    virtual ~SoundMixer() = default;

    // Opens the output at 22050 Hz, 16-bit, stereo; false when there is no device.
    virtual bool OpenDevice() = 0;
    virtual void CloseDevice() = 0;
    // Why the last OpenDevice failed, in the platform's words (empty when it did not).
    virtual std::string DeviceError() const { return ""; }

    // Null when the samples cannot be converted (or there is no device).
    virtual sound_mixer::SampleBlock* MakeSampleBlock(const WavSound& sound) = 0;
    virtual void FreeSampleBlock(sound_mixer::SampleBlock* block) = 0;

    // Channels are reserved by a slot for its play buffers; -1 when none can be had.
    virtual int ReserveChannel() = 0;
    virtual void ReleaseChannel(int channel) = 0;
    virtual bool ChannelPlaying(int channel) = 0;
    // The program asked for the channel's sound again while it plays: a sound asked for
    // again and again, up to its end, goes on into its next pass without a gap.
    virtual void ChannelAskedAgain(int /*channel*/) {}
    // Stops the channel (the sound fades out in a few milliseconds, but the channel counts
    // as stopped at once); its next play starts at the beginning.
    virtual bool StopChannel(int channel) = 0;
    // Volume in hundredths of a decibel of attenuation (0 full, -10000 silent); pan in
    // hundredths of a decibel taken from the other side (-10000 left only ... 10000 right
    // only).
    virtual void SetChannelVolume(int channel, int volume) = 0;
    virtual void SetChannelPan(int channel, int pan) = 0;
    // Plays the block from its start, once or (looping) until stopped.
    virtual bool PlayChannel(int channel, sound_mixer::SampleBlock* block, bool looping) = 0;

    // Music: one piece at a time, played once; the caller restarts it.
    virtual bool LoadMusic(const char* path) = 0;
    virtual bool StartMusic() = 0;
    // True when the piece has played to its end (or stopped playing).
    virtual bool MusicAtEnd() = 0;
    virtual bool MusicLoaded() = 0;
    virtual void FreeMusic() = 0;
};

// SDL2_mixer (SoundMixer_sdl.cpp).
SoundMixer& SdlSoundMixer();
// No device at all: it never opens, no sample block or music is made, nothing plays.
SoundMixer& NullSoundMixer();
