// A test program for the program frame: what it does is chosen by its first
// program argument, so the tests can watch start-up, errors and shutdown.
#include <cstring>
#include <string>

#include "commands/kv.h"

namespace {
std::string g_mode;
KvIntArray g_table;

void __MainGameSub_() {
    __dLn(0, 5);
    if (g_mode == "array") {
        DIM(g_table, 3);
        __dLn(0, 42);
        g_table(3) = 1;
    } else if (g_mode == "error5") {
        __dLn(0, 7);
        __Error(5);
        __dLn(0, 8);
    } else if (g_mode == "end") {
        __dLn(0, 9);
        END();
    } else if (g_mode == "forever") {
        for (;;) {
            __dLn(0, 20);
            SHOWSCREEN();
        }
    } else if (g_mode == "cmdline") {
        __dLn(0, 11);
        KvStr line = GETCOMMANDLINE_Str();
        if (std::strcmp(line.GetStrData(), "cmdline two words") != 0) __Error(99);
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "frame probe";
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        if (g_mode.empty()) g_mode = argv[i];
    }
    if (g_mode == "nodebug") settings.debug = 0;
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
