// The media lookup as the commands call it, on the runtime's strings: thin wrappers
// over the media boxes, which take plain strings.
#pragma once

#include <string>

#include "media/VelShoeBox.h"
#include "values/KvStr.h"

// Replaces name by the path of a readable file and returns true, or empties it and returns
// false (no such file, no pack, not in the pack, damaged entry).
inline bool MediaLookup(KvStr& name, VelShoeBox& box) {
    std::string path;
    // A path the string cannot hold would be cut to a wrong name: the box unpacks where
    // the path fits, and a loose file's name that does not fit is not found.
    if (!box.Lookup(name.GetStrData(), path, KvStr::kMaxAssign) ||
        int(path.size()) > KvStr::kMaxAssign) {
        box.DeleteTemporaryFile();
        name = "";
        return false;
    }
    name = path.c_str();
    return true;
}

// Points the data box, then the music box, at the given packs; an empty name switches a box off.
inline void SETSHOEBOX(KvStr data, KvStr music) {
    SetShoeBoxes(data.GetStrData(), music.GetStrData());
}
