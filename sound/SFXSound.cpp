// The sound device and the sound slots: loading a WAV file into a slot, the round
// robin of its play buffers, playing and stopping.
#include "sound/SFXSound.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/Options.h"

// Nobody hears a headless program: it gets a sound device only when a test or a
// user chose an audio driver for it explicitly (e.g. "disk", to record the output).
bool SFXSound::DeviceWanted() {
    if (!KvOptions().headless) return true;
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver && *driver && std::strcmp(driver, "dummy") != 0;
}

void SFXSound::Close() {
    if (m_open) m_mixer->CloseDevice();
    m_open = false;
    m_mixer = &NullSoundMixer();
}

int SFXSound::Create(GameWindow*) {
    Close();
    SoundMixer& mixer = DeviceWanted() ? SdlSoundMixer() : NullSoundMixer();
    m_error.clear();
    if (!mixer.OpenDevice()) {
        m_error = mixer.DeviceError();
        return 0;
    }
    m_mixer = &mixer;
    m_open = true;
    GetCaps();
    return 1;
}

bool SFXSound::GetCaps() { return m_open; }

bool SFXSound::PlayMusic(const char* path) {
    return m_mixer->LoadMusic(path) && m_mixer->StartMusic();
}

void SFXSound::RestartMusicAtItsEnd() {
    if (m_mixer->MusicLoaded() && m_mixer->MusicAtEnd()) m_mixer->StartMusic();
}

void SFXSoundBuffer::Init() {
    m_bufferCount = 0;
    m_currentBuffer = 0;
    m_path = nullptr;
    m_owner = nullptr;
    m_mixer = &NullSoundMixer();
    for (int& buffer : m_buffers) buffer = -1;
    m_samples = nullptr;
}

SFXSoundBuffer::~SFXSoundBuffer() {
    Stop();
    Release();
}

void SFXSoundBuffer::Release() {
    for (int& buffer : m_buffers) {
        m_mixer->ReleaseChannel(buffer);
        buffer = -1;
    }
    m_mixer->FreeSampleBlock(m_samples);
    m_samples = nullptr;
    m_bufferCount = 0;
    m_currentBuffer = 0;
}

bool SFXSoundBuffer::CanPlay() const {
    return m_owner && m_owner->IsOpen() && m_bufferCount > 0 && m_samples;
}

bool SFXSoundBuffer::Load(SFXSound* owner, const char* path, int count) {
    Stop();
    Release();
    m_owner = owner;
    m_mixer = owner ? &owner->Mixer() : &NullSoundMixer();
    m_bufferCount = count < 1 ? 1 : count > kMaximumBuffers ? kMaximumBuffers : count;
    m_path = path;
    if (m_owner && m_owner->IsOpen() && LoadFromFile()) {
        // Every buffer is a channel of its own playing the one shared sample block.
        for (int i = 0; i < m_bufferCount; ++i) m_buffers[i] = m_mixer->ReserveChannel();
        m_path = nullptr;
        if (m_buffers[0] >= 0) return true;
        m_owner = nullptr;  // not even one channel: the slot cannot play
    }
    Release();
    m_path = nullptr;
    return false;
}

bool SFXSoundBuffer::LoadFromFile() {
    std::vector<uint8_t> bytes;
    WavSound sound;
    if (!ReadWavFile(m_path, bytes, sound)) return false;
    m_samples = m_mixer->MakeSampleBlock(sound);
    if (!m_samples) {
        m_owner = nullptr;  // no buffer could be made: the slot cannot play
        return false;
    }
    return true;
}

bool SFXSoundBuffer::BufferPlaying(int index) const {
    if (index < 0 || index >= m_bufferCount) return false;
    return m_mixer->ChannelPlaying(m_buffers[index]);
}

int SFXSoundBuffer::GetFreeBuffer() {
    int buffer = m_buffers[m_currentBuffer];
    if (buffer < 0) return -1;
    if (m_mixer->ChannelPlaying(buffer)) {
        if (m_bufferCount < 2) {
            m_mixer->ChannelAskedAgain(buffer);  // busy; but it may follow on at its end
            return -1;
        }
        m_currentBuffer = (m_currentBuffer + 1) % m_bufferCount;
        buffer = m_buffers[m_currentBuffer];
        if (buffer < 0) return -1;
        if (m_mixer->ChannelPlaying(buffer)) m_mixer->StopChannel(buffer);  // cut off the oldest
    }
    return buffer;
}

bool SFXSoundBuffer::Play(int pan, int volume, unsigned long flags) {
    if (!CanPlay()) return false;
    int buffer = GetFreeBuffer();
    if (buffer < 0) return false;
    m_mixer->SetChannelVolume(buffer, volume);
    m_mixer->SetChannelPan(buffer, pan);
    return m_mixer->PlayChannel(buffer, m_samples, (flags & kPlayLooping) != 0);
}

bool SFXSoundBuffer::Stop() {
    if (!CanPlay()) return false;
    for (int i = 0; i < m_bufferCount; ++i) {
        if (m_buffers[i] < 0) continue;  // a buffer that could not be made
        if (!m_mixer->StopChannel(m_buffers[i])) return false;
    }
    return true;
}
