// SFXSound: the sound device; SFXSoundBuffer: one sound slot with 1 to 4 play
// buffers that share one block of samples, so an effect can overlap itself.
// The mixer calls behind them live in SoundMixer_sdl.cpp.
#pragma once

#include <string>

#include "sound/SoundMixer.h"

class GameWindow;

class SFXSound {
  public:
    SFXSound() = default;
    ~SFXSound() { Close(); }
    SFXSound(const SFXSound&) = delete;
    SFXSound& operator=(const SFXSound&) = delete;

    // Opens the output: 1 on success, 0 when there is no device (every load then
    // fails and every play does nothing). Headless programs have no device unless
    // an audio driver was chosen explicitly (SDL_AUDIODRIVER other than "dummy").
    int Create(GameWindow* window);
    bool GetCaps();
    bool IsOpen() const { return m_open; }
    // Whether this program asks for a sound device at all (a headless one only when an
    // audio driver was chosen), and why the last Create could not open it.
    static bool DeviceWanted();
    const std::string& DeviceError() const { return m_error; }
    // Closes the output (after the slots that play on it are gone); Create may
    // open it again.
    void Close();
    // The one music piece: played once from its start (false when it cannot be
    // loaded, or there is no device), stopped and freed, restarted once it has
    // played to its end.
    bool PlayMusic(const char* path);
    void StopMusic() { m_mixer->FreeMusic(); }
    void RestartMusicAtItsEnd();
    // The back-end the device plays through: SDL2_mixer once opened, else the null mixer.
    SoundMixer& Mixer() const { return *m_mixer; }

  private:
    bool m_open = false;
    std::string m_error;
    SoundMixer* m_mixer = &NullSoundMixer();
};

class SFXSoundBuffer {
  public:
    static constexpr int kMaximumBuffers = 4;
    static constexpr unsigned long kPlayLooping = 1;  // play flag: repeat until stopped

    SFXSoundBuffer() { Init(); }
    ~SFXSoundBuffer();
    SFXSoundBuffer(const SFXSoundBuffer&) = delete;
    SFXSoundBuffer& operator=(const SFXSoundBuffer&) = delete;

    void Init();
    // Loads a WAV file with `count` play buffers (clamped to 1 ... 4).
    bool Load(SFXSound* owner, const char* path, int count);
    // Plays the sound once on the buffer GetFreeBuffer picks; pan and volume in
    // hundredths of a decibel (pan -10000 left ... 10000 right, volume 0 full ... -10000 silent);
    // flags 0 plays once.
    bool Play(int pan, int volume, unsigned long flags);
    // Stops and rewinds every buffer; false for an empty slot.
    bool Stop();

    int BufferCount() const { return m_bufferCount; }
    int CurrentBuffer() const { return m_currentBuffer; }
    bool BufferPlaying(int index) const;

  private:
    bool LoadFromFile();
    // The buffer for the next play, or -1: a one-buffer sound that is still playing
    // is not restarted; with more buffers the next one in turn is taken, and cut
    // off if it is still playing.
    int GetFreeBuffer();
    void Release();
    bool CanPlay() const;

    int m_bufferCount = 0;
    int m_currentBuffer = 0;
    const char* m_path = nullptr;
    SFXSound* m_owner = nullptr;
    SoundMixer* m_mixer = &NullSoundMixer();            // where the channels and samples came from
    int m_buffers[kMaximumBuffers] = {-1, -1, -1, -1};  // mixer channels
    sound_mixer::SampleBlock* m_samples = nullptr;
};
