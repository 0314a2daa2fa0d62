// The mixer side of the sound device: the output device, sample blocks in the
// device's format, play channels, and the music player. Implemented on SDL2_mixer
// in SoundMixer_sdl.cpp; SFXSound and SFXSoundBuffer hold the rules above it.
#pragma once

#include "sound/WavReader.h"

namespace sound_mixer {
// Opens the output at 22050 Hz, 16-bit, stereo; false when there is no device.
bool OpenDevice();
void CloseDevice();

// A block of samples converted once to the device's format; shared by every channel
// of a slot.
struct SampleBlock;
SampleBlock* MakeSampleBlock(const WavSound& sound);
void FreeSampleBlock(SampleBlock* block);

// Channels are reserved by a slot for its play buffers; -1 when none can be had.
int ReserveChannel();
void ReleaseChannel(int channel);
bool ChannelPlaying(int channel);
// Stops the channel; its next play starts at the beginning.
bool StopChannel(int channel);
// Volume in hundredths of a decibel of attenuation (0 full, -10000 silent); pan in
// hundredths of a decibel taken from the other side (-10000 left only ... 10000 right only).
void SetChannelVolume(int channel, int volume);
void SetChannelPan(int channel, int pan);
// Plays the block from its start, once or (looping) until stopped.
bool PlayChannel(int channel, SampleBlock* block, bool looping);

// Music: one piece at a time, played once; the caller restarts it.
bool LoadMusic(const char* path);
bool StartMusic();
// True when the piece has played to its end (or stopped playing).
bool MusicAtEnd();
bool MusicLoaded();
void FreeMusic();
}  // namespace sound_mixer
