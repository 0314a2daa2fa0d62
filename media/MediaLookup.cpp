// The media lookup on the runtime's strings: thin wrappers over VelShoeBox.
#include "media/MediaLookup.h"

#include <string>

bool MediaLookup(KvStr& name, VelShoeBox& box) {
    std::string path;
    if (!box.Lookup(name.GetStrData(), path) || int(path.size()) > KvStr::kMaxAssign) {
        // A path the string cannot hold would be cut to a wrong name.
        box.DeleteTemporaryFile();
        name = "";
        return false;
    }
    name = path.c_str();
    return true;
}

void SETSHOEBOX(KvStr data, KvStr music) { SetShoeBoxes(data.GetStrData(), music.GetStrData()); }
