// A small program for the media tests: points both media boxes at a pack (or at its own
// executable with "self"), looks names up through the data box one after the other and prints
// what it found, then ends normally so that the boxes clean up as the runtime's would.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "commands/MediaLookup.h"

namespace {

// FNV-1a over the file's bytes, or -1 when it cannot be read.
long long HashFile(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return -1;
    uint32_t hash = 2166136261u;
    for (int c; (c = std::fgetc(f)) != EOF;) hash = (hash ^ uint32_t(c)) * 16777619u;
    std::fclose(f);
    return hash;
}

std::string OwnExecutable() {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return n > 0 ? std::string(buffer.data(), size_t(n)) : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: media_lookup_helper <pack|self> <names...>\n");
        return 2;
    }
    const std::string pack = std::string(argv[1]) == "self" ? OwnExecutable() : argv[1];
    SETSHOEBOX(pack.c_str(), pack.c_str());
    std::string previous;
    for (int i = 2; i < argc; ++i) {
        KvStr name(argv[i]);
        const bool found = MediaLookup(name, __g_ShoeBox_Data);
        if (!previous.empty()) {
            std::printf("previous %s\n", ::access(previous.c_str(), F_OK) == 0 ? "exists" : "gone");
        }
        if (found) {
            std::printf("found %s %lld\n", name.GetStrData(), HashFile(name.GetStrData()));
            previous = name.GetStrData();
        } else {
            std::printf("missing [%s]\n", name.GetStrData());
        }
    }
    return 0;
}
