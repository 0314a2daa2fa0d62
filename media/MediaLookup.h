// The media lookup as the runtime's commands call it, on the runtime's strings.
#pragma once

#include "media/VelShoeBox.h"
#include "runtime/KvStr.h"

// Replaces name by the path of a readable file and returns true, or empties it and returns
// false (no such file, no pack, not in the pack, damaged entry).
bool MediaLookup(KvStr& name, VelShoeBox& box);

// Points the data box, then the music box, at the given packs; an empty name switches a box off.
void SETSHOEBOX(KvStr data, KvStr music);
