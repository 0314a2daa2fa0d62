// The line marker of the game's source: "L statement;" records the file number and
// the source line before a statement that can end the program, so the error log
// names the failing line. Include last, and only in the game's own .cpp files,
// after defining KIP_FILE:
//   1 kip_main.cpp  2 kip_level.cpp  3 kip_player.cpp  4 kip_shots.cpp
//   5 kip_aliens.cpp  6 kip_lives.cpp  7 kip_screens.cpp  8 kip_cheat.cpp
#pragma once

#ifndef KIP_FILE
#error "define KIP_FILE before including kip_line.h"
#endif

#define L __dLn(KIP_FILE, __LINE__);
