// The line marker of the game's source: "L statement;" records the source line
// before a statement that can end the program, so the error log names the failing
// statement. The game always passes source file 0; so that one line number still
// names one statement of the whole game, each file numbers its lines in a block of
// its own: KIP_FILE × 10000 + the line in the file. Include last, and only in the
// game's own .cpp files, after defining KIP_FILE:
//   KIP_FILE  file            log lines
//   1         kip_main.cpp    10001 ... 19999
//   2         kip_level.cpp   20001 ... 29999
//   3         kip_player.cpp  30001 ... 39999
//   4         kip_shots.cpp   40001 ... 49999
//   5         kip_aliens.cpp  50001 ... 59999
//   6         kip_lives.cpp   60001 ... 69999
//   7         kip_screens.cpp 70001 ... 79999
//   8         kip_cheat.cpp   80001 ... 89999
//   9         kip_radar.cpp   90001 ... 99999
// A new file takes the next free number (up to 99, whose lines still print whole
// in the log).
#pragma once

#ifndef KIP_FILE
#error "define KIP_FILE before including kip_line.h"
#endif
#if KIP_FILE < 1 || KIP_FILE > 99
#error "KIP_FILE is a number from 1 to 99"
#endif

namespace kipgame {
constexpr int kLinesPerFile = 10000;

// The game-wide number of a line of file `file`; a file that outgrows its block
// would share numbers with the next one and does not build.
template <int file, int line>
constexpr double GameLine() {
    static_assert(line < kLinesPerFile, "the file has outgrown its block of line numbers");
    return double(file) * kLinesPerFile + line;
}
}  // namespace kipgame

#define L __dLn(0, kipgame::GameLine<KIP_FILE, __LINE__>());
