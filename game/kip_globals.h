// The game's data: every game variable is a global double, every array a KvIntArray,
// all of them 0 (arrays without elements) when the program starts.
#pragma once

#include "commands/kv.h"

// The plain variables, one list so that declaration, definition and the test reset
// cannot drift apart.
#define KIP_VARIABLES(X)                                                                  \
    X(lives) X(gegner1zahl) X(gegner2zahl) X(gegner3zahl) X(gegner4zahl) X(levelz)        \
    X(round) X(roundcount) X(musik)                                                       \
    X(walkh) X(walkv) X(fluglinks) X(flugrechts) X(flugunten) X(flugoben)                 \
    X(kipwalklinks) X(kipwalkrechts) X(kipwalkoben) X(kipwalkunten) X(kipstand)           \
    X(jumper) X(kipjumpi) X(vertikal) X(scrollx) X(scrolly)                               \
    X(spielfeldgrossex) X(spielfeldgrossey)                                               \
    X(xkugel1) X(ykugel1) X(xkugel2) X(ykugel2) X(xkugel3) X(xkugel4) X(ykugel3)          \
    X(ykugel4) X(walkvga) X(blicka) X(laufen)                                             \
    X(i) X(levelnext) X(musika) X(musikb) X(sterben) X(j) X(sterna) X(sternb)             \
    X(plattformanzahl) X(p) X(leiteranzahl) X(l)                                          \
    X(kni) X(schuss) X(kipstanda) X(ink) X(ticc) X(kugel1) X(kugel2) X(schalti)           \
    X(tiu) X(tiuschalter) X(tiuzoom)                                                      \
    X(schaltintro) X(pseudozoomer) X(zoomer) X(zahl) X(zoomerschalter)                    \
    X(schalto) X(kipstan) X(xi) X(yi) X(inkw) X(phi) X(linksschalterx) X(linksschaltery) \
    X(scrolllinksschalter) X(scrollrechtsschalter)                                        \
    X(coll) X(coll1) X(coll2) X(collh) X(tic) X(tica) X(ticd) X(tich) X(kipkontakt)       \
    X(schaltio) X(schaltoo) X(kugelzahler) X(kugelzahlerh) X(laufenx) X(laufeny)

#define KIP_ARRAYS(X)                                                                     \
    X(tac) X(tacy) X(tacschalter) X(wa) X(way) X(waschalter) X(tacd) X(tacdy)             \
    X(kipjumpig) X(jumperg) X(walkvg) X(tacdschalter)                                     \
    X(fluglinksg) X(kugel1g) X(kugel2g) X(xkugel1g) X(ykugel1g) X(flugrechtsg)            \
    X(xkugel2g) X(ykugel2g)                                                               \
    X(wah) X(wahy) X(wah4ink) X(kipjumpih) X(jumperh) X(walkvh) X(tachschalter)           \
    X(fluglinksh) X(kugel1h) X(kugel2h) X(xkugel1h) X(ykugel1h) X(flugrechtsh)            \
    X(xkugel2h) X(ykugel2h)                                                               \
    X(feld) X(sternx) X(sterny) X(plattform) X(leiter) X(leiteranfang) X(leiterende)      \
    X(xstern) X(ystern)

// The game lives in its own namespace: names such as round would clash with the
// C library otherwise.
namespace kipgame {

#define KIP_DECLARE_VARIABLE(name) extern double name;
#define KIP_DECLARE_ARRAY(name) extern KvIntArray name;
KIP_VARIABLES(KIP_DECLARE_VARIABLE)
KIP_ARRAYS(KIP_DECLARE_ARRAY)
#undef KIP_DECLARE_VARIABLE
#undef KIP_DECLARE_ARRAY

// Sets every plain variable back to 0, as at program start (arrays keep their
// elements until they are dimensioned again). For tests.
void ResetAllVariables();

}  // namespace kipgame
