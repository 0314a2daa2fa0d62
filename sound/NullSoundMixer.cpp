// The null sound back-end: a device that never opens. Every load through it fails
// and every play does nothing, as with a machine without sound.
#include "sound/SoundMixer.h"

namespace {
class SilentMixer : public SoundMixer {
  public:
    bool OpenDevice() override { return false; }
    void CloseDevice() override {}
    sound_mixer::SampleBlock* MakeSampleBlock(const WavSound&) override { return nullptr; }
    void FreeSampleBlock(sound_mixer::SampleBlock*) override {}
    int ReserveChannel() override { return -1; }
    void ReleaseChannel(int) override {}
    bool ChannelPlaying(int) override { return false; }
    bool StopChannel(int) override { return false; }
    void SetChannelVolume(int, int) override {}
    void SetChannelPan(int, int) override {}
    bool PlayChannel(int, sound_mixer::SampleBlock*, bool) override { return false; }
    bool LoadMusic(const char*) override { return false; }
    bool StartMusic() override { return false; }
    bool MusicAtEnd() override { return false; }
    bool MusicLoaded() override { return false; }
    void FreeMusic() override {}
};
}  // namespace

SoundMixer& NullSoundMixer() {
    static SilentMixer mixer;
    return mixer;
}
