// Sound, music and movie commands: sound slots with play buffers, the looping music,
// and movies played in the game's frame (cmd_movie.cpp).
#pragma once

#include "values/KvStr.h"

void LOADSOUND(const KvStr& file, double n, double buffers);
void PLAYSOUND(double n, double pan, double volume);
void HUSH();
double PLAYMUSIC(const KvStr& file);
void STOPMUSIC();
// Called by SHOWSCREEN once a frame: restarts the music when it has played to its end.
void KvMusicLoopCheck();

// Play a movie in the game's frame, once or again and again, until its end or a key
// or mouse button; the program waits meanwhile. 3 when it cannot be played, else 0.
double PLAYMOVIE(const KvStr& file);
double LOOPMOVIE(const KvStr& file);
// Called by the shutdown: closes the movie player when the program ends during a movie.
void KvCloseMovie();
