// A picture put on the game window by the X server from memory it shares with us
// (MIT-SHM): the way a frame scaled on the processor reaches the screen without a
// copy through the socket or through the renderer's window-sized buffers. The black
// bars around the picture are filled when its place changes or the window was
// uncovered, not every frame.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/FrameScaler.h"

struct SDL_Window;
struct X11SharedPictureState;

// The picture's place in the window, counted from the window's top-left corner.
struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int windowWidth = 0;
    int windowHeight = 0;
    // Written out, not defaulted: the installed headers build as C++17 too.
    bool operator==(const WindowPlace& other) const {
        return x == other.x && y == other.y && width == other.width &&
               height == other.height && windowWidth == other.windowWidth &&
               windowHeight == other.windowHeight;
    }
    bool operator!=(const WindowPlace& other) const { return !(*this == other); }
};

class X11SharedPicture {
  public:
    // Null where the window is no X11 window, or the server shares no memory with
    // us (a display across the network), or its pixels are not 32-bit BGRX.
    static std::unique_ptr<X11SharedPicture> Create(SDL_Window* window);
    ~X11SharedPicture();

    // Memory for a picture of the place's size, free to be written: the server is
    // done with the last one. An empty block where none could be had.
    PixelBlock Picture(const WindowPlace& place);
    // Puts the picture written into Picture() at the place, with bars around it when
    // they need it.
    void Put(const WindowPlace& place);
    // The window was uncovered: its bars are filled again with the next picture.
    void RepaintBars() { m_barsShown = false; }

  private:
    X11SharedPicture() = default;
    bool Allocate(int width, int height);
    void Release();
    void FillBars(const WindowPlace& place);

    std::unique_ptr<X11SharedPictureState> m_state;
    WindowPlace m_barsPlace;
    bool m_barsShown = false;
};
