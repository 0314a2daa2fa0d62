// Files: a high-score list kept line by line in a text file (scores.txt beside the
// program, 10 lines). GETFILE reads a line, PUTFILE replaces one in the line cache,
// which writes the file back when another file is used or the program ends.
// PUTFILE does not create files: the build puts scores.txt there.
#include "commands/kv.h"

namespace {
constexpr double kEntries = 10;
KvStrArray listing;

void __MainGameSub_() {
    // A new score goes in at its place; the last one drops off.
    double score = 1000 + RND(8999);
    double place = kEntries;
    for (double line = kEntries - 1; line >= 0; --line) {
        double old;
        GETFILE("scores.txt", line, old);  // an empty line reads "NO_DATA", as a number 0
        if (score <= old) break;
        if (old > 0 && line + 1 < kEntries) PUTFILE("scores.txt", line + 1, old);
        place = line;
    }
    if (place < kEntries) PUTFILE("scores.txt", place, score);

    double counts = GETFILELIST("*.txt", listing);
    double folders = (counts - MOD(counts, 65536)) / 65536;
    for (;;) {
        PRINT(KvStr("Your score: ") + KvStr(score), 20, 20);
        for (double line = 0; line < kEntries; ++line) {
            KvStr entry;
            GETFILE("scores.txt", line, entry);
            if (entry != "NO_DATA") PRINT(KvStr(line + 1) + ". " + entry, 40, 60 + line * 20);
        }
        PRINT(KvStr("Folder: ") + GETCURRENTDIR_Str(), 20, 300);
        for (double k = folders; k < BOUNDS(listing, 0); ++k)
            PRINT(listing(k), 40, 330 + (k - folders) * 20);
        SHOWSCREEN();
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "files";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
