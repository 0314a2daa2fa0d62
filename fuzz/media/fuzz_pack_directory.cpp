// Fuzzes the media pack reader: the input is a whole pack file. Walks its directory, looks names
// up, reads the block of every entry the walk yields, and checks the unpacked file names.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/MediaPack.h"

namespace {

// Reads an entry's block as the lookup does. The block is not unpacked here: a few bytes of
// directory can name many blocks that each unpack to a megabyte, and the LZO target covers
// the unpacking.
void ReadEntry(PackSource& source, const PackEntry& entry) {
    std::vector<unsigned char> block;
    if (!ReadPackEntryData(source, entry, block)) return;
    if (entry.position < 0 || entry.position + int64_t(block.size()) > source.Size()) abort();
    const std::string fileName = UnpackedFileName(entry);
    if (fileName.size() > 255 || fileName.find('/') != std::string::npos) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryPackSource source(data, int64_t(size));
    PackDirectoryReader reader(source);
    if (reader.Open()) {
        PackEntry entry;
        for (int i = 0; i < 64 && reader.Next(entry); ++i) ReadEntry(source, entry);
    }
    // Names to look up: fixed ones, and one made of the first bytes of the input.
    const std::string fromInput(reinterpret_cast<const char*>(data), size < 24 ? size : 24);
    for (const std::string& name : {std::string("tile.bmp"), std::string("DATA/A"), fromInput}) {
        PackEntry found;
        if (FindPackEntry(source, name, found)) {
            if (!EntryNameMatches(found.name, name)) abort();
            ReadEntry(source, found);
        }
    }
    return 0;
}
