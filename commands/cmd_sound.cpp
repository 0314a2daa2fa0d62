// Sound and music commands: the 128 sound slots (load, play, hush) and the one
// music piece, which SHOWSCREEN restarts whenever it has played to its end.
#include "commands/cmd_sound.h"

#include <cmath>

#include "commands/MediaLookup.h"
#include "commands/ProgramFrame.h"
#include "runtime/Trace.h"
#include "sound/SFXSound.h"
#include "values/IntConv.h"

namespace {
constexpr int kLastSlot = kSoundSlots - 1;

// Slot numbers above the last slot play the last slot; negative ones name no slot (-1).
int SoundSlot(double n) {
    int32_t slot = KvToInt(n);
    if (slot < 0) return -1;
    return slot > kLastSlot ? kLastSlot : slot;
}

double Clamp(double value, double low, double high, double whenUndefined) {
    if (std::isnan(value)) return whenUndefined;
    return value < low ? low : value > high ? high : value;
}

// A volume of 0 ... 1 (of the full amplitude) as the attenuation the slots take,
// in hundredths of a decibel: 1 is 0 (full volume), 0.5 about -602, 0 silent.
int Attenuation(double volume) {
    if (volume <= 0) return -10000;
    double hundredths = 2000.0 * std::log10(volume);
    return hundredths < -10000 ? -10000 : static_cast<int>(hundredths);
}

void StopMusicPlayer() {
    if (pDXsnd) pDXsnd->StopMusic();
}
}  // namespace

void LOADSOUND(const KvStr& file, double n, double buffers) {
    KvTrace("LOADSOUND", {file.GetStrData(), n, buffers});
    int slot = SoundSlot(n);
    if (slot < 0 || !DXwav) return;
    KvStr path = file;
    if (!MediaLookup(path, __g_ShoeBox_Data)) return;  // a missing sound is no error
    DXwav[slot].Load(pDXsnd, path.GetStrData(), KvToInt(buffers));
}

void PLAYSOUND(double n, double pan, double volume) {
    KvTrace("PLAYSOUND", {n, pan, volume});
    int slot = SoundSlot(n);
    if (slot < 0 || !DXwav) return;
    int panUnits = KvToInt(Clamp(pan, -1, 1, 0) * 10000);
    DXwav[slot].Play(panUnits, Attenuation(Clamp(volume, 0, 1, 1)), 0);
}

void HUSH() {
    KvTrace("HUSH");
    if (!DXwav) return;
    for (int slot = 0; slot < kSoundSlots; ++slot) DXwav[slot].Stop();
}

double PLAYMUSIC(const KvStr& file) {
    KvTrace("PLAYMUSIC", {file.GetStrData()});
    StopMusicPlayer();
    KvStr path = file;
    if (!MediaLookup(path, __g_ShoeBox_Media)) return 3;
    // Without a sound device the piece is found but silent, as the commands expect.
    if (pDXsnd) pDXsnd->PlayMusic(path.GetStrData());
    return 0;
}

void STOPMUSIC() {
    KvTrace("STOPMUSIC");
    StopMusicPlayer();
}

void KvMusicLoopCheck() {
    if (pDXsnd) pDXsnd->RestartMusicAtItsEnd();
}
