// Where the game's frame goes in the window: the largest rectangle of the frame's
// aspect that fits the drawable, centred, with black bars around it.
#pragma once

enum class ScaleMode {
    kSmooth,   // any factor that fits, filtered
    kInteger,  // whole factors only, pixels kept square and sharp
};

struct ViewportRect {
    int x = 0;  // from the drawable's lower-left corner, as OpenGL counts
    int y = 0;
    int width = 0;
    int height = 0;
};

// The rectangle the frame is drawn into. In integer mode the factor is the largest
// whole number that fits; a drawable smaller than the frame gets the smooth fit,
// as no whole factor would show all of it. Sizes below 1 count as 1.
ViewportRect FitViewport(int drawableWidth, int drawableHeight, int frameWidth, int frameHeight,
                         ScaleMode mode);
