// bounce: a first game on the kv runtime. A ball flies across the screen, a sound
// plays at every wall it meets, the count of bounces is shown on top; Escape ends.
#include "commands/kv.h"

namespace {
double x = 300, y = 400;  // the ball's top-left corner
double dx = 5, dy = 4;    // pixels a frame
double bounces = 0;

// Turns the ball back when it leaves the 640 x 480 screen (it is 16 pixels wide).
void Bounce(double& position, double& speed, double limit) {
    if (position >= 0 && position <= limit) return;
    position = position < 0 ? 0 : limit;
    speed = -speed;
    bounces = bounces + 1;
    PLAYSOUND(0, (x - 320) / 320, 1);  // panned to the side the ball is on
}

void MainRoutine() {
    LOADSPRITE("ball.bmp", 0);      // red 255, green 0, blue 128 is transparent
    LOADSOUND("bounce.wav", 0, 2);  // sound slot 0, two play buffers
    for (;;) {
        x = x + dx;
        y = y + dy;
        Bounce(x, dx, 624);
        Bounce(y, dy, 464);
        SPRITE(0, x, y);
        PRINT("Bounces: " + KvStr(bounces), 10, 10);  // font 0, built into the runtime
        SHOWSCREEN();                                 // Escape ends the program here
    }
}
}  // namespace

int main(int argc, char** argv) {
    KvSettings settings;  // 640 x 480, 60 frames a second
    settings.fullscreen = 0;
    settings.title = "bounce";
    settings.version = "0.1";
    return KvRunProgram(argc, argv, settings, MainRoutine);
}
