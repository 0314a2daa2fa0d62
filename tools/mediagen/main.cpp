// mediagen: builds the game's media from the text sources in the assets folder.
// Usage: mediagen ASSETS-FOLDER OUTPUT-FOLDER          pictures, fonts, sounds
//        mediagen icons ASSETS-FOLDER OUTPUT-FOLDER    the desktop icons (PNG)
#include <cstdio>
#include <cstring>
#include <exception>

#include "tools/mediagen/Generator.h"
#include "tools/mediagen/Icons.h"

int main(int argc, char** argv) {
    bool icons = argc == 4 && std::strcmp(argv[1], "icons") == 0;
    if (argc != 3 && !icons) {
        std::fprintf(stderr,
                     "usage: mediagen ASSETS-FOLDER OUTPUT-FOLDER\n"
                     "       mediagen icons ASSETS-FOLDER OUTPUT-FOLDER\n");
        return 2;
    }
    const char* assets = argv[argc - 2];
    const char* output = argv[argc - 1];
    try {
        auto written = icons ? mediagen::generateIcons(assets, output)
                             : mediagen::generateAll(assets, output);
        std::printf("mediagen: wrote %zu files to %s\n", written.size(), output);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mediagen: error: %s\n", error.what());
        return 1;
    }
    return 0;
}
