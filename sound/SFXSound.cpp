// SFXSound: device set-up.
#include "sound/SFXSound.h"

bool SFXSound::Create(GameWindow*) { return true; }
