// What the game window needs from the X server beyond SDL: the window's real place
// and size (SDL reports the size it asked for, which a bare server never grants for
// full screen), whether a window manager runs, and a warning box that takes the
// keyboard. Each call answers false where the video driver is not X11.
#pragma once

struct SDL_Window;
struct _XDisplay;

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Covers(const ScreenRect& other) const {
        return x <= other.x && y <= other.y && x + width >= other.x + other.width &&
               y + height >= other.y + other.height;
    }
};

// The connection SDL opened and the window's X id; false where the window is not an
// X11 window.
bool X11Handles(SDL_Window* window, _XDisplay*& display, unsigned long& xwindow);
// The window's X id; 0 where the window is not an X11 window.
unsigned long X11WindowId(SDL_Window* window);
// The window's real rectangle on the screen, as the X server has it; the size alone
// costs one request less.
bool X11WindowRect(SDL_Window* window, ScreenRect& rect);
bool X11WindowSize(SDL_Window* window, int& width, int& height);
// True when a window manager that honours desktop requests (full screen among
// them) runs on the window's screen.
bool X11WindowManagerRuns(SDL_Window* window);
// Watches for the window being destroyed by another client (a window manager's
// "close" tool, xdotool windowclose): the errors the window's requests then cause
// are taken as that news instead of ending the program, and X11WindowGone() turns
// true, so that the game can end as a closed window does.
void X11WatchWindow(SDL_Window* window);
bool X11WindowGone();
// After the watched window is destroyed: takes in the errors its last requests still
// cause, before the video driver gives the connection back to the default handling.
void X11SettleWatchedWindow();
// Makes the server paint black where the window shows nothing drawn yet (a window
// that grows to full screen would show what the screen held there before).
void X11UseBlackBackground(SDL_Window* window);
// Shows a modal warning box with an OK button, centred over the owner (or the
// screen when the owner is null), above it and with the keyboard focus. Return,
// keypad Enter, Space and Escape close it as a click on OK does. With tickedOff the
// box has a "do not show this again" tick box, whose state it stores there. False
// when no box could be shown on X11.
bool X11ShowWarningBox(SDL_Window* owner, const char* title, const char* text,
                       bool* tickedOff = nullptr);
