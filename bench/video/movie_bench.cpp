// Movie benchmark: makes 3-second clips of three sizes with ffmpeg, plays each in a
// headless runtime (unpaced, then paced at 60 screens a second) and prints what the
// player measured (time to the first picture, drawing time per picture, pictures
// dropped) with the screens shown and the time the command took.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "runtime/Options.h"
#include "commands/kv.h"

namespace {
struct ClipSize {
    int width, height;
};

std::string MakeClip(const std::string& folder, ClipSize size) {
    std::string name =
        folder + "/clip" + std::to_string(size.width) + "x" + std::to_string(size.height) + ".mp4";
    std::string command =
        "ffmpeg -v error -y -f lavfi -i testsrc2=s=" + std::to_string(size.width) + "x" +
        std::to_string(size.height) +
        ":r=25:d=3 -f lavfi -i sine=frequency=440:duration=3 -c:v mpeg4 -q:v 3 "
        "-c:a aac -shortest '" +
        name + "'";
    return std::system(command.c_str()) == 0 ? name : "";
}

void Play(const std::string& clip, bool paced) {
    KvOptions().unpaced = !paced;
    long firstScreen = KvFrameNumber();
    auto start = std::chrono::steady_clock::now();
    double result = PLAYMOVIE(clip.c_str());
    double took =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "%s, %s: result %g, %ld screens, %.0f ms\n\n",
                 std::filesystem::path(clip).filename().c_str(), paced ? "paced" : "unpaced",
                 result, KvFrameNumber() - firstScreen, took);
}
}  // namespace

int main() {
    char pattern[] = "/tmp/kip_movie_bench_XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (!folder) return 1;
    setenv("KIP_MOVIE_FIGURES", "1", 1);
    if (!KvStartRuntimeForTests()) return 1;
    for (ClipSize size : {ClipSize{320, 240}, ClipSize{640, 360}, ClipSize{1280, 720}}) {
        std::string clip = MakeClip(folder, size);
        if (clip.empty()) {
            std::fprintf(stderr, "ffmpeg could not make the clip\n");
            continue;
        }
        Play(clip, false);
        Play(clip, true);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
