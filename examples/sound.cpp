// Sound and music: a sound effect in a slot with several play buffers, so shots
// can overlap, panned across the stereo field; and a music piece that SHOWSCREEN
// starts again whenever it has played to its end. M switches the music.
#include "commands/kv.h"

namespace {
constexpr double kShot = 0;  // sound slot (0 to 127)
constexpr double kSpace = 57, kM = 50;

void __MainGameSub_() {
    LOADSOUND("gunshot1.wav", kShot, 4);  // 4 play buffers: up to 4 shots at once
    bool musicOn = PLAYMUSIC("kip.wav") == 0;
    bool mWasDown = false;
    for (double frame = 0;; ++frame) {
        double pan = SIN(frame * 2);  // -1 left ... 1 right
        if (MOD(frame, 20) == 0 || KEY(kSpace)) PLAYSOUND(kShot, pan, 1);
        bool mDown = KEY(kM) != 0;
        if (mDown && !mWasDown) {
            musicOn = !musicOn;
            if (musicOn) PLAYMUSIC("kip.wav");
            else STOPMUSIC();
        }
        mWasDown = mDown;
        FILLRECT(320 + pan * 300 - 4, 200, 320 + pan * 300 + 4, 240, 0x00FFFF);
        PRINT(musicOn ? "Music on (M)" : "Music off (M)", 20, 20);
        SHOWSCREEN();
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "sound";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
