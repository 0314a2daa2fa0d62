// GameWindow: the platform window, its OpenGL context and the off-screen frame the
// game draws into. The SDL and GL calls behind it live in GameWindow_sdl.cpp.
#pragma once

#include <string>

#include "gfx/Viewport.h"

struct GameWindowState;

class GameWindow {
  public:
    // Creates the window (hidden until shown) with its OpenGL context and an
    // off-screen frame of width x height. Returns null with a message on failure.
    static GameWindow* Create(const char* title, int width, int height, std::string& error);
    ~GameWindow();

    void SetTitle(const char* title);
    void Show();
    void Hide();
    // The desktop-sized borderless window; the frame is scaled to fit, aspect kept.
    // Where no window manager carries out the desktop's full-screen request, the
    // window is moved over the desktop and sized to it by hand.
    bool EnterFullscreen();
    // A framed, resizable window; it gets back the size it had before full screen
    // (at first the frame size).
    void EnterWindowed();
    // How the frame fills the window: smooth fitting or whole factors.
    void SetScaleMode(ScaleMode mode);
    // True once after each press of F11: the player asks to switch between full
    // screen and window.
    bool TakeFullscreenToggle();
    bool IsVisible() const;
    void SetCursorVisible(bool visible);
    // A modal warning box above the window, centred on it; OK, Return and Escape
    // close it (Space too on X11). With offerTickOff the player can tick "do not
    // show this again"; the answer is whether they did.
    bool ShowWarning(const char* title, const char* text, bool offerTickOff = false);

    // The renderer's name, and whether it is a software rasteriser.
    std::string RendererName() const;
    bool IsSoftwareRenderer() const;
    int DesktopColourDepth() const;

    // Binds the off-screen frame as the target of all drawing and pixel reads.
    void BindFrame();
    // Scales the off-screen frame into the window and swaps the window's buffers.
    // On a software renderer a scaled frame is scaled on the processor and put on
    // the window through shared memory instead, where the X server allows it.
    void Present();
    // Whether scaled frames are shown that way (at start: on software renderers,
    // unless KIP_PRESENT=opengl is set); false when asked for where it is not
    // available. Tests and the benchmark compare both ways on the same frame.
    bool UseSoftwarePresent(bool on);
    bool UsesSoftwarePresent() const;

    // Pumps the platform's events; returns false once the window was asked to close.
    bool PumpEvents();

    // An OpenGL function of the window's context, for libraries that draw into it.
    static void* GLFunction(const char* name);

  private:
    GameWindow() = default;
    GameWindowState* m_state = nullptr;
};

// What other layers (input) see of the events PumpEvents takes from the queue: the
// mouse's movement and buttons, and keys going down and up.
struct PlatformInputEvent {
    enum class Kind { kMotion, kButtonDown, kButtonUp, kKeyDown, kKeyUp };
    enum class Button { kNone, kLeft, kMiddle, kRight };
    Kind kind = Kind::kMotion;
    int xMove = 0;  // motion only
    int yMove = 0;
    Button button = Button::kNone;  // button events only
    int keyUsage = 0;               // key events only: the positional USB usage
};
using PlatformEventListener = void (*)(const PlatformInputEvent& event);
void AddPlatformEventListener(PlatformEventListener listener);

// The program-wide platform start-up: video (offscreen driver when headless) and timer.
bool PlatformInit(bool headless, std::string& error);
void PlatformQuit();
double PlatformMilliseconds();
void PlatformBeep();
void PlatformMessageBox(const char* title, const char* text);
