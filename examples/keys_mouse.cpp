// Keys and mouse: the cursor keys move a box (key numbers are keyboard scan codes,
// the same on every layout), typed characters collect into a line, and the mouse
// pointer is drawn where the runtime's virtual mouse stands.
#include "commands/kv.h"

namespace {
constexpr double kLeft = 203, kRight = 205, kUp = 200, kDown = 208, kSpace = 57;
constexpr double kYellow = 0x00FFFF, kRed = 0x0000FF, kGrey = 0x808080;

void __MainGameSub_() {
    double x = 300, y = 220;
    KvStr typed;
    for (;;) {
        x += (KEY(kRight) - KEY(kLeft)) * 4;
        y += (KEY(kDown) - KEY(kUp)) * 4;
        FILLRECT(x, y, x + 40, y + 40, KEY(kSpace) ? kRed : kYellow);

        KvStr character = INKEY_Str();  // "" when nothing was typed this frame
        if (character == "\b") typed.Left(typed.Length() - 1);
        else if (LEN(character) > 0 && LEN(typed) < 40) typed += character;
        PRINT(KvStr("Typed: ") + typed, 20, 20);

        double mouseX, mouseY, leftButton, rightButton;
        MOUSESTATE(mouseX, mouseY, leftButton, rightButton);
        DRAWLINE(mouseX - 8, mouseY, mouseX + 8, mouseY, leftButton ? kRed : kGrey);
        DRAWLINE(mouseX, mouseY - 8, mouseX, mouseY + 8, rightButton ? kRed : kGrey);
        PRINT("Cursor keys move, space colours, Escape ends", 20, 450);
        SHOWSCREEN();
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "keys_mouse";
    settings.wantmouse = 1;
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
