// A small program for the recording tests: every frame it reads space, left, right
// and left Alt and draws where random numbers and the keys say. Given the argument
// "person" it plays a person at the keyboard: at set frames it puts real key events
// into SDL's queue, as the keyboard would.
#include <SDL.h>

#include "commands/kv.h"

namespace {
void Push(Uint32 type, SDL_Scancode key) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = key;
    event.key.keysym.sym = SDL_GetKeyFromScancode(key);
    SDL_PushEvent(&event);
}

// The events of frame n reach the program at the flip that ends it.
void ActAsAPerson(long frame) {
    switch (frame) {
        case 2:
            Push(SDL_KEYDOWN, SDL_SCANCODE_SPACE);
            break;
        case 5:
            Push(SDL_KEYUP, SDL_SCANCODE_SPACE);
            break;
        case 7:  // pressed and let go before the program looks
            Push(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
            Push(SDL_KEYUP, SDL_SCANCODE_LEFT);
            break;
        case 9:
            Push(SDL_KEYDOWN, SDL_SCANCODE_RIGHT);
            Push(SDL_KEYDOWN, SDL_SCANCODE_LALT);
            break;
        case 14:
            Push(SDL_KEYUP, SDL_SCANCODE_RIGHT);
            break;
        default:
            break;
    }
}

void __MainGameSub_() {
    bool person = KvOptions().programArguments == "person";
    double x = 300;
    for (;;) {
        if (person) ActAsAPerson(KvFrameNumber());
        if (KEY(203)) x -= 5 + RND(3);
        if (KEY(205)) x += 5 + RND(3);
        if (KEY(57)) FILLRECT(x, RND(400), x + 10, 20, 0xFFFFFF);
        if (KEY(56)) FILLRECT(RND(600), 0, 10, 10, 0x00FF00);
        SHOWSCREEN();
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;
    settings.fullscreen = 0;
    settings.title = "record";
    return KvRunProgram(argc, argv, settings, __MainGameSub_);
}
