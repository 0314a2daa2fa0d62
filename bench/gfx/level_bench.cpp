// The game's real level frame, headless on the software renderer: kip itself, unpaced,
// with scripted keys that walk through level 1, once on the default drawing path and
// once with one fan per sprite (KIP_ONE_FAN_PER_SPRITE=1); and a reference written
// with SDL_Renderer that draws the sprites of one traced level frame of that run.
// Figures are CPU time per frame (all threads), each path measured in every round.
//   level_bench [rounds]
#include <SDL.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {
// Frames 0 to 19 are the start screen, the intro, the stage screen and level 1's
// first frames; level frames are counted from the difference of two run lengths,
// the long run long enough that what the start-up costs (shader compiles) varies
// little against it.
constexpr int kShortRun = 40;
constexpr int kLongRun = 1340;
constexpr int kTracedFrame = 100;
constexpr int kReferenceFrames = 300;
const char* const kKeys =
    "0 tap 57\n2 tap 57\n5 tap 57\n20 down 205\n120 up 205\n130 down 203\n200 up 203\n"
    "210 down 205\n";

std::string TempPath(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/kip_level_bench_" +
           std::to_string(getpid()) + "_" + name;
}

double CpuMilliseconds(const rusage& usage) {
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// CPU time of one kip run; negative when it did not end well.
double KipCpu(bool oneFan, int frames, const std::string& keys, const std::string& trace) {
    pid_t pid = fork();
    if (pid == 0) {
        if (oneFan) setenv("KIP_ONE_FAN_PER_SPRITE", "1", 1);
        if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
        std::string count = std::to_string(frames);
        std::vector<const char*> args = {KIP_PATH,  "--headless", "--unpaced", "--no-warning",
                                         "--seed",  "7",          "--frames",  count.c_str(),
                                         "--keys",  keys.c_str()};
        if (!trace.empty()) {
            args.push_back("--trace");
            args.push_back(trace.c_str());
        }
        args.push_back(nullptr);
        execv(KIP_PATH, const_cast<char* const*>(args.data()));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return CpuMilliseconds(usage);
}

double LevelFrameCpu(bool oneFan, const std::string& keys) {
    double shortRun = KipCpu(oneFan, kShortRun, keys, "");
    double longRun = KipCpu(oneFan, kLongRun, keys, "");
    if (shortRun < 0 || longRun < 0) return -1;
    return (longRun - shortRun) / (kLongRun - kShortRun);
}

struct Sprite {
    int slot;
    double x, y, zoomX, zoomY;
};

struct TracedFrame {
    std::map<int, std::string> pictures;  // slot -> file name
    std::vector<Sprite> sprites;
};

std::string Unquote(const std::string& word) {
    return word.size() >= 2 && word.front() == '"' ? word.substr(1, word.size() - 2) : word;
}

TracedFrame ReadTrace(const std::string& path, int frame) {
    TracedFrame traced;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        int at = -1;
        std::string command;
        words >> at >> command;
        if (command == "LOADSPRITE") {
            std::string name;
            int slot = -1;
            words >> name >> slot;
            traced.pictures[slot] = Unquote(name);
        } else if (at == frame && (command == "SPRITE" || command == "ZOOMSPRITE")) {
            Sprite s{0, 0, 0, 1, 1};
            words >> s.slot >> s.x >> s.y;
            if (command == "ZOOMSPRITE") words >> s.zoomX >> s.zoomY;
            traced.sprites.push_back(s);
        }
    }
    return traced;
}

// The traced sprites drawn by SDL_Renderer (its OpenGL driver where it has one) from
// the same picture files, keyed as the game keys them; CPU milliseconds per frame.
double SdlRendererFrameCpu(const TracedFrame& traced, std::string& driverName) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return -1;
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    SDL_Window* window = SDL_CreateWindow("reference", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (!renderer) {
        SDL_Quit();
        return -1;
    }
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    driverName = info.name;
    std::string folder = KIP_PATH;
    folder = folder.substr(0, folder.rfind('/') + 1);
    std::map<int, SDL_Texture*> textures;
    std::map<int, SDL_Point> sizes;
    for (const auto& [slot, name] : traced.pictures) {
        SDL_Surface* picture = SDL_LoadBMP((folder + name).c_str());
        if (!picture) continue;
        SDL_SetColorKey(picture, SDL_TRUE, SDL_MapRGB(picture->format, 255, 0, 128));
        textures[slot] = SDL_CreateTextureFromSurface(renderer, picture);
        sizes[slot] = SDL_Point{picture->w, picture->h};
        SDL_FreeSurface(picture);
    }
    using FlushFunction = void (*)();
    auto glFlushNow = reinterpret_cast<FlushFunction>(SDL_GL_GetProcAddress("glFlush"));
    if (!glFlushNow) return -1;
    auto frame = [&] {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        for (const Sprite& s : traced.sprites) {
            auto texture = textures.find(s.slot);
            if (texture == textures.end()) continue;
            SDL_Point size = sizes[s.slot];
            float w = float(size.x * s.zoomX), h = float(size.y * s.zoomY);
            SDL_FRect place{float(s.x - (w - size.x) / 2), float(s.y - (h - size.y) / 2), w, h};
            SDL_RenderCopyF(renderer, texture->second, nullptr, &place);
        }
        SDL_RenderPresent(renderer);
        // A headless window's swap does not flush: without this the frames would not
        // all be drawn, where a window on a screen draws every one (kip flushes too).
        glFlushNow();
    };
    for (int i = 0; i < 20; ++i) frame();  // warm up
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    for (int i = 0; i < kReferenceFrames; ++i) frame();
    getrusage(RUSAGE_SELF, &after);
    for (auto& [slot, texture] : textures) SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return (CpuMilliseconds(after) - CpuMilliseconds(before)) / kReferenceFrames;
}

struct Spread {
    double median, low, high;
};

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

void PrintLine(const char* name, const std::vector<double>& values) {
    Spread s = SpreadOf(values);
    std::printf("  %-36s median %7.3f ms CPU/frame  (rounds %.3f .. %.3f)\n", name, s.median,
                s.low, s.high);
}
}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string keys = TempPath("keys.txt"), trace = TempPath("trace.txt");
    std::ofstream(keys) << kKeys;
    if (KipCpu(false, kTracedFrame + 1, keys, trace) < 0) {
        std::fprintf(stderr, "level_bench: %s did not run\n", KIP_PATH);
        return 1;
    }
    TracedFrame traced = ReadTrace(trace, kTracedFrame);
    std::remove(trace.c_str());
    std::vector<double> batched, fans, reference, fanRatio, referenceRatio;
    std::string driver;
    for (int round = 0; round < rounds; ++round) {
        batched.push_back(LevelFrameCpu(false, keys));
        fans.push_back(LevelFrameCpu(true, keys));
        reference.push_back(SdlRendererFrameCpu(traced, driver));
        fanRatio.push_back(fans.back() / batched.back());
        referenceRatio.push_back(reference.back() / batched.back());
    }
    std::remove(keys.c_str());
    std::printf("level frame of kip (level 1, scripted walk, unpaced; %d level frames a run), "
                "%d rounds:\n", kLongRun - kShortRun, rounds);
    PrintLine("default path (game logic + drawing)", batched);
    PrintLine("one fan per sprite", fans);
    std::printf("  SDL_Renderer (%s), the %zu sprites of frame %d:\n", driver.c_str(),
                traced.sprites.size(), kTracedFrame);
    PrintLine("", reference);
    Spread f = SpreadOf(fanRatio), r = SpreadOf(referenceRatio);
    std::printf("  ratio one fan / default: %.2f (%.2f .. %.2f); SDL_Renderer / default: %.2f "
                "(%.2f .. %.2f)\n", f.median, f.low, f.high, r.median, r.low, r.high);
    return 0;
}
