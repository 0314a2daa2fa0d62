// kiproute: a development tool that searches a key script with which the game is
// played from its start screen through stage 8 to the victory screen. The game is
// deterministic for a given seed and key script, so the tool runs it in-process,
// frame by frame, saving and restoring the game's whole state (its globals) to go
// back when the player is hit, and writes the keys that cleared every level as a
// script for the kip executable's --keys option.
//
//   kiproute [runtime options] -- OUTPUT [CHUNK_LIMIT]
//
// Run it with the same runtime options as the run that replays the script
// (--headless --unpaced --seed 7). It prints its progress and exits 0 when a script
// was found; it is built only on request (target kip_route).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "commands/ProgramFrame.h"
#include "commands/kv.h"
#include "game/kip_globals.h"
#include "game/kip_routines.h"
#include "input/DXInput.h"
#include "input/KeyScript.h"
#include "runtime/Options.h"
#include "tools/kiproute/route_search.h"

namespace {

// The game's whole state: every global and every array.
struct ArrayCopy {
    int dimensions = -1;
    double sizes[8] = {};
    std::vector<double> data;
};

struct Snapshot {
    std::vector<double> variables;
    std::vector<ArrayCopy> arrays;
};

#define KIP_VARIABLE_ADDRESS(name) &kipgame::name,
#define KIP_ARRAY_ADDRESS(name) &kipgame::name,
double* const kVariables[] = {KIP_VARIABLES(KIP_VARIABLE_ADDRESS)};
KvIntArray* const kArrays[] = {KIP_ARRAYS(KIP_ARRAY_ADDRESS)};
#undef KIP_VARIABLE_ADDRESS
#undef KIP_ARRAY_ADDRESS

Snapshot Save() {
    Snapshot s;
    for (double* v : kVariables) s.variables.push_back(*v);
    for (KvIntArray* a : kArrays) {
        ArrayCopy c;
        c.dimensions = a->DimensionCount();
        for (int k = 0; k < 8; ++k) c.sizes[k] = a->Bounds(k);
        if (c.dimensions > 0) c.data.assign(a->Data(), a->Data() + a->ElementCount());
        s.arrays.push_back(std::move(c));
    }
    return s;
}

void Restore(const Snapshot& s) {
    for (size_t k = 0; k < s.variables.size(); ++k) *kVariables[k] = s.variables[k];
    for (size_t k = 0; k < s.arrays.size(); ++k) {
        const ArrayCopy& c = s.arrays[k];
        KvIntArray* a = kArrays[k];
        if (c.dimensions <= 0) continue;
        if (a->ElementCount() != static_cast<int64_t>(c.data.size()) ||
            a->DimensionCount() != c.dimensions)
            a->Dim(c.sizes[0], c.sizes[1], c.sizes[2], c.sizes[3], c.sizes[4], c.sizes[5],
                   c.sizes[6], c.sizes[7]);
        std::copy(c.data.begin(), c.data.end(), a->Data());
    }
}

// The keys as bits of a frame's key set.
const int kKeyOfBit[] = {203, 205, 200, 208, 56, 57};

std::string KeyList(KeySet keys) {
    std::ostringstream out;
    for (int bit = 0; bit < 6; ++bit)
        if (keys & (1u << bit)) out << ' ' << kKeyOfBit[bit];
    return out.str();
}

// A script that holds keys[k] in frame first + k, then releases everything and
// taps space every other frame, so that a caught screen or a stage screen that
// comes up after the planned frames ends by itself.
std::string ScriptFrom(long first, const std::vector<KeySet>& keys) {
    std::ostringstream text;
    KeySet held = 0;
    for (size_t k = 0; k <= keys.size(); ++k) {
        KeySet now = k < keys.size() ? keys[k] : 0;
        long frame = first + static_cast<long>(k);
        if (held & ~now) text << frame << " up" << KeyList(held & ~now) << '\n';
        if (now & ~held) text << frame << " down" << KeyList(now & ~held) << '\n';
        held = now;
    }
    long after = first + static_cast<long>(keys.size());
    for (long k = 1; k <= 21; k += 2) text << after + k << " tap 57\n";
    return text.str();
}

void UseScript(const std::string& text) {
    KeyScript script;
    std::string error;
    if (!script.Parse(text, "kiproute", error)) {
        std::fprintf(stderr, "kiproute: %s\n", error.c_str());
        std::exit(2);
    }
    pDXin->UseKeyScript(script);
}

// One pass of the game's main loop as __MainGameSub_ makes it: a pass that ends
// the level runs the next level's start with its stage screen.
bool OnePass() {
    kipgame::Sprung sprung = kipgame::hauptschleife();
    if (sprung == kipgame::Sprung::levelstart) kipgame::levelstart();
    return sprung != kipgame::Sprung::spielstart;
}

// The game in this process, driven frame by frame.
class InProcessGame : public RouteGame {
  public:
    Outcome Play(const std::vector<KeySet>& keys) override {
        long first = KvFrameNumber();
        long end = first + static_cast<long>(keys.size());
        UseScript(ScriptFrom(first, keys));
        double lives = kipgame::lives;
        double levelz = kipgame::levelz;
        while (KvFrameNumber() < end) {
            if (!OnePass()) return Outcome::Hit;
            if (kipgame::lives < lives) return Outcome::Hit;
        }
        if (KvFrameNumber() != end) return Outcome::Hit;
        return kipgame::levelz != levelz ? Outcome::NextLevel : Outcome::Played;
    }
    State Look() const override {
        State s;
        s.kipX = kipgame::walkh + kipgame::scrollx;
        s.kipY = kipgame::vertikal + kipgame::scrolly;
        s.jumping = kipgame::kipjumpi == 1;
        s.facing = kipgame::blicka;
        s.level = kipgame::levelz;
        s.lastLevel = kipgame::gegner4zahl >= 19;
        s.cell = [](int row, int column) {
            if (row < 0 || row >= 50 || column < 0 || column >= 65) return 0;
            return static_cast<int>(kipgame::feld(row, column));
        };
        for (int k = 0; k <= kipgame::gegner4zahl; ++k) {
            if (kipgame::wah(k) == 5555) continue;
            s.aliens.push_back(
                {kipgame::wah(k), kipgame::wahy(k) + kipgame::walkvh(k) - 26, kipgame::wahy(k)});
        }
        return s;
    }
    int Save() override {
        m_saved.push_back(::Save());
        return static_cast<int>(m_saved.size()) - 1;
    }
    void Restore(int id) override { ::Restore(m_saved[id]); }
    void Forget(int id) override {
        m_saved[id] = Snapshot();
    }

  private:
    std::vector<Snapshot> m_saved;
};

// The opening of the run, the same as the whole-game test's: the start screen left
// at frame 930, the intro at 1012, stage 1's screen at 1016, the stage keys at 1030
// and stage 8's screen at 1032, whose pass is the first of play.
const char* const kOpening =
    "930 down 57\n932 up 57\n1012 down 57\n1014 up 57\n1016 tap 57\n"
    "1030 tap 9 37 23 25\n1032 tap 57\n";
constexpr long kPlayFrom = 1033;

std::string g_output;
long g_chunkLimit = 400000;

void MainRoutine() {
    UseScript(kOpening);
    kipgame::spielstart();
    kipgame::levelstart();
    while (KvFrameNumber() < kPlayFrom) OnePass();
    if (kipgame::round != 8 || kipgame::levelz != 1 || kipgame::gegner4zahl != 9) {
        std::fprintf(stderr, "kiproute: the opening did not reach stage 8, level 1\n");
        std::exit(3);
    }
    InProcessGame game;
    std::vector<KeySet> route;
    auto began = std::chrono::steady_clock::now();
    bool found = SearchRoute(game, g_chunkLimit, route);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::printf("kiproute: %s after %.0f s, %zu frames of play\n", found ? "found" : "not found",
                seconds, route.size());
    std::ofstream out(g_output);
    const long end = kPlayFrom + static_cast<long>(route.size());
    out << "# Made by tools/kiproute: the opening, then the frames of play from " << kPlayFrom
        << "; the last line releases\n# every key in the first frame without a living alien.\n";
    out << kOpening;
    // Without the taps after the route: the test writes its own ending.
    std::istringstream lines(ScriptFrom(kPlayFrom, route));
    for (std::string line; std::getline(lines, line);)
        if (std::stol(line) <= end) out << line << "\n";
    out.close();
    std::fflush(stdout);
    std::_Exit(found ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
    // The tool's own arguments follow "--".
    int own = argc;
    for (int k = 1; k < argc; ++k)
        if (std::string(argv[k]) == "--") own = k;
    if (own + 1 >= argc) {
        std::fprintf(stderr, "usage: %s [runtime options] -- OUTPUT [CHUNK_LIMIT]\n", argv[0]);
        return 2;
    }
    g_output = argv[own + 1];
    if (own + 2 < argc) g_chunkLimit = std::atol(argv[own + 2]);
    // A small screen: the drawing does not touch the game's state, and fewer pixels
    // make the frames quicker.
    KvSettings settings;
    settings.resx = 64;
    settings.resy = 48;
    settings.fullscreen = 1;
    settings.framerate = 60;
    settings.debug = 0;
    settings.title = "kiproute";
    return KvRunProgram(own, argv, settings, MainRoutine);
}
