// The game's routines: no arguments, no result, they share state only through the
// globals of kip_globals.h.
#pragma once

namespace kipgame {

// The main routine the program frame calls once; it never returns by itself.
void __MainGameSub_();

// The three blocks of the main routine and the music switch, callable one by one.
enum class Sprung { weiter, levelstart, spielstart };
void spielstart();          // game start: font, lives, counters, music on
void levelstart();          // level start: media, actors, aliens, level, screens
Sprung hauptschleife();     // one frame of play; says where to go next
void musikschalter();       // the M key turns the music loop off and on

// Level.
void level_1_initial();
void level();
void level_1();

// Player.
void kip();
void leiterklettern();
void jump();
void shot();
void kugelfliegt();

// The bullets of the cyclops aliens, for the alien whose index is in i: firing and
// flying for type 3, the same for type 4, and removing both bullets of i.
void shotgegner();
void kugelgegner();
void shotgegner4();
void kugelgegner4();
void kugelgegnerWeg();
void kugelgegner4Weg();

// Aliens.
void gegner();
void gegner2();
void gegner3();
void gegnerjump();
void gegner4();
void gegner4jump();

// The walking cyclops of the stage and caught screens, at height y.
void zyklopLaeuft(double y);

// Moves x and y by the step on each axis, bouncing inside 50 ... 550 x 80 ... 350 with
// the directions in linksschalterx and linksschaltery (the game-over and victory screens).
void abprallen(double& x, double& y, double schritt);

// Lives.
void leben();
void erwischt();

// Screens and extras.
void start();
void intro();
void sieg();
void cheat();
void radar();

}  // namespace kipgame
