// Sound and music commands: sound slots with play buffers, and the looping music.
#pragma once

#include "values/KvStr.h"

void LOADSOUND(const KvStr& file, double n, double buffers);
void PLAYSOUND(double n, double pan, double volume);
void HUSH();
double PLAYMUSIC(const KvStr& file);
void STOPMUSIC();
// Called by SHOWSCREEN once a frame: restarts the music when it has played to its end.
void KvMusicLoopCheck();
