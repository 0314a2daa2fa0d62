// Fonts and text: a second bitmap font loaded next to the default one, the
// character cell size for centring, numbers printed as text and formatted.
// A font bitmap holds 16 x 8 characters; black is its transparent colour.
#include "commands/kv.h"

namespace {
constexpr double kDefaultFont = 0;  // Smalfont.bmp, loaded by the runtime at start-up
constexpr double kSmallFont = 1;

// Centres a line on the 640-pixel screen with the current font.
void PrintCentred(const KvStr& text, double y) {
    double cellWidth, cellHeight;
    GETFONTSIZE(cellWidth, cellHeight);
    PRINT(text, (640 - LEN(text) * cellWidth) / 2, y);
}

void __MainGameSub_() {
    LOADFONT("fontklein.bmp", kSmallFont);  // loads font 1 and makes it current
    for (double frame = 0;; ++frame) {
        SETFONT(kDefaultFont);
        PrintCentred("Fonts and text", 40);
        PRINT(frame, 20, 100);                            // a number, as "%g" writes it
        PRINT(KvStr("Seconds: ") + FORMAT_Str(8, 2, frame / 60), 20, 130);
        SETFONT(kSmallFont);
        double w, h;
        GETFONTSIZE(w, h);
        PRINT(KvStr("fontklein.bmp: cells of ") + KvStr(w) + " x " + KvStr(h) + " pixels", 20, 200);
        PrintCentred(MID_Str("..........centred", 10 - MOD(frame / 6, 11), 20), 260);
        PRINT(KvStr("ASC(\"A\") = ") + KvStr(ASC("A")) + ", CHR_Str(66) = " + CHR_Str(66), 20, 320);
        SHOWSCREEN();
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "text";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
