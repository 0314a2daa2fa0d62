// mediagen: builds the game's media from the text sources in the assets
// folder. Usage: mediagen ASSETS-FOLDER OUTPUT-FOLDER
#include <cstdio>
#include <exception>

#include "tools/mediagen/Generator.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mediagen ASSETS-FOLDER OUTPUT-FOLDER\n");
        return 2;
    }
    try {
        auto written = mediagen::generateAll(argv[1], argv[2]);
        std::printf("mediagen: wrote %zu files to %s\n", written.size(), argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mediagen: error: %s\n", error.what());
        return 1;
    }
    return 0;
}
