// SFXSound: the sound device; SFXSoundBuffer: one sound slot with its play buffers.
#pragma once

class GameWindow;

class SFXSound {
public:
    bool Create(GameWindow* window);
};

class SFXSoundBuffer {};

extern SFXSound* pDXsnd;
extern SFXSoundBuffer* DXwav;
