// The game window on SDL2 with an OpenGL compatibility context, and the off-screen
// frame (a frame buffer object) that every drawing command targets.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "gfx/FramePresent.h"
#include "gfx/GameWindow.h"
#include "gfx/SoftwarePresent.h"
#include "gfx/X11Window.h"

struct GameWindowState {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    GLuint frameBuffer = 0;
    GLuint colourBuffer = 0;
    int width = 0;
    int height = 0;
    bool closeRequested = false;
    bool fullscreenToggleRequested = false;
    ScaleMode scaleMode = ScaleMode::kSmooth;
    // The window's size before full screen, given back on leaving it.
    int windowedWidth = 0;
    int windowedHeight = 0;
    // Full screen made by hand: a borderless window moved over the desktop.
    bool coversDesktopByHand = false;
    int windowedX = 50;
    int windowedY = 50;
    // Scaled frames go to the window on the processor while this is set.
    std::unique_ptr<SoftwarePresent> softwarePresent;
    // The last frame went that way: the window was not swapped since.
    bool shownInSoftware = false;
};

namespace {
// How long a window manager may take to make the window cover the desktop.
constexpr Uint32 kFullscreenWaitMilliseconds = 1500;
constexpr Uint32 kFullscreenPollMilliseconds = 10;

std::vector<PlatformEventListener> g_listeners;

// The window's rectangle on the screen as it really is: on X11 SDL reports the size
// it asked for, even when no manager granted it.
ScreenRect RealWindowRect(SDL_Window* window) {
    ScreenRect rect;
    if (X11WindowRect(window, rect)) return rect;
    SDL_GetWindowPosition(window, &rect.x, &rect.y);
    SDL_GL_GetDrawableSize(window, &rect.width, &rect.height);
    return rect;
}

ScreenRect DesktopRect(SDL_Window* window) {
    SDL_Rect bounds{0, 0, 0, 0};
    int display = SDL_GetWindowDisplayIndex(window);
    SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds);
    return ScreenRect{bounds.x, bounds.y, bounds.w, bounds.h};
}

bool OnX11() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "x11") == 0;
}

// Whether the desktop request for full screen took effect. A bare X server has no one
// to carry it out, so there is nothing to wait for; a manager gets a little time.
bool CoversDesktopInTime(SDL_Window* window) {
    ScreenRect desktop = DesktopRect(window);
    if (OnX11() && !X11WindowManagerRuns(window)) return RealWindowRect(window).Covers(desktop);
    Uint32 start = SDL_GetTicks();
    for (;;) {
        SDL_PumpEvents();  // the events stay queued for the runtime's own pump
        if (RealWindowRect(window).Covers(desktop)) return true;
        if (SDL_GetTicks() - start >= kFullscreenWaitMilliseconds) return false;
        SDL_Delay(kFullscreenPollMilliseconds);
    }
}

// Full screen without the manager's help: a borderless window moved over the desktop.
void CoverDesktopByHand(GameWindowState& s) {
    ScreenRect desktop = DesktopRect(s.window);
    SDL_SetWindowFullscreen(s.window, 0);
    SDL_SetWindowBordered(s.window, SDL_FALSE);
    SDL_SetWindowPosition(s.window, desktop.x, desktop.y);
    SDL_SetWindowSize(s.window, desktop.width, desktop.height);
    SDL_RaiseWindow(s.window);
    s.coversDesktopByHand = true;
}

// The box, with a way to say "do not show this again" when tickedOff is given.
void ShowWarningBox(SDL_Window* owner, const char* title, const char* text, bool* tickedOff) {
    if (OnX11() && X11ShowWarningBox(owner, title, text, tickedOff)) return;
    // Elsewhere SDL's box, whose OK answers Return and Escape as well as a click.
    SDL_MessageBoxButtonData buttons[2]{};
    buttons[0].flags =
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    buttons[0].buttonid = 0;
    buttons[0].text = "OK";
    buttons[1].buttonid = 1;
    buttons[1].text = "Do not show this again";
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_WARNING;
    box.window = owner;
    box.title = title;
    box.message = text;
    box.numbuttons = tickedOff ? 2 : 1;
    box.buttons = buttons;
    int pressed = 0;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) pressed = 0;
    if (tickedOff) *tickedOff = pressed == 1;
}

bool CreateFrameBuffer(GameWindowState& s) {
    glGenFramebuffers(1, &s.frameBuffer);
    glGenRenderbuffers(1, &s.colourBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, s.colourBuffer);
    // No alpha planes, as the game's pixel format has none: whatever is copied from
    // the frame (grabbed sprites, screen surfaces) reads as opaque.
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, s.width, s.height);
    glBindFramebuffer(GL_FRAMEBUFFER, s.frameBuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              s.colourBuffer);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// A software present that fails once is not tried again: the frames go through
// OpenGL from then on.
bool PresentInSoftware(GameWindowState& s, const ViewportRect& view, int windowW, int windowH,
                       FramePlacement placement) {
    if (!s.softwarePresent) return false;
    WindowPlace place{view.x, windowH - view.y - view.height, view.width, view.height, windowW,
                      windowH};
    if (s.softwarePresent->Show(s.width, s.height, place, placement == FramePlacement::kScaled))
        return true;
    s.softwarePresent.reset();
    return false;
}

// The frame copied into the window (unless it was drawn there at its size) and the
// window swapped.
void PresentThroughOpenGL(GameWindowState& s, const int rect[4], FramePlacement placement) {
    bool scaled = placement != FramePlacement::kWholeWindow;
    GLint drawnInto = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawnInto);
    if (drawnInto == 0 && scaled) TakeFrameFromWindow(s.frameBuffer, s.width, s.height);
    bool copied = drawnInto != 0 || scaled;
    // A software renderer sizes the drawable to the window at a swap: after frames
    // shown the other way the first copy may go into the old size.
    for (int copies = copied && s.shownInSoftware ? 2 : 1; copies > 0; --copies) {
        if (copied) CopyFrameIntoWindow(s.frameBuffer, s.width, s.height, rect, placement);
        SDL_GL_SwapWindow(s.window);
    }
    s.shownInSoftware = false;
}

}  // namespace

GameWindow* GameWindow::Create(const char* title, int width, int height, std::string& error) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // No depth planes: the frame is drawn straight into the window only while the
    // depth test is off, and a software renderer draws rectangles on its fast path
    // only into a frame without them.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_Window* window =
        SDL_CreateWindow(title, 50, 50, width, height,
                         SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!window) {
        error = std::string("cannot create the window: ") + SDL_GetError();
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        error = std::string("cannot create an OpenGL context: ") + SDL_GetError();
        SDL_DestroyWindow(window);
        return nullptr;
    }
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(0);  // the runtime paces frames itself
    X11UseBlackBackground(window);
    X11WatchWindow(window);

    GameWindow* result = new GameWindow();
    result->m_state = new GameWindowState();
    result->m_state->window = window;
    result->m_state->context = context;
    result->m_state->width = width;
    result->m_state->height = height;
    result->m_state->windowedWidth = width;
    result->m_state->windowedHeight = height;
    if (!CreateFrameBuffer(*result->m_state)) {
        error = "the OpenGL driver offers no off-screen frame buffer";
        delete result;
        return nullptr;
    }
    const char* present = std::getenv("KIP_PRESENT");
    bool openGLAsked = present && std::strcmp(present, "opengl") == 0;
    result->UseSoftwarePresent(result->IsSoftwareRenderer() && !openGLAsked);
    return result;
}

GameWindow::~GameWindow() {
    if (!m_state) return;
    m_state->softwarePresent.reset();  // while the X connection is open
    if (m_state->context) {
        glDeleteFramebuffers(1, &m_state->frameBuffer);
        glDeleteRenderbuffers(1, &m_state->colourBuffer);
        SDL_GL_MakeCurrent(m_state->window, nullptr);
        SDL_GL_DeleteContext(m_state->context);
    }
    if (m_state->window) SDL_DestroyWindow(m_state->window);
    X11SettleWatchedWindow();
    delete m_state;
}

void GameWindow::SetTitle(const char* title) { SDL_SetWindowTitle(m_state->window, title); }
void GameWindow::Show() { SDL_ShowWindow(m_state->window); }
void GameWindow::Hide() { SDL_HideWindow(m_state->window); }

bool GameWindow::IsVisible() const {
    return (SDL_GetWindowFlags(m_state->window) & SDL_WINDOW_SHOWN) != 0;
}

bool GameWindow::EnterFullscreen() {
    GameWindowState& s = *m_state;
    bool windowed = !s.coversDesktopByHand &&
                    (SDL_GetWindowFlags(s.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    if (windowed) {
        SDL_GetWindowPosition(s.window, &s.windowedX, &s.windowedY);
        SDL_GetWindowSize(s.window, &s.windowedWidth, &s.windowedHeight);
    }
    if (SDL_SetWindowFullscreen(s.window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
    s.coversDesktopByHand = false;
    SDL_ShowWindow(s.window);
    SDL_RaiseWindow(s.window);
    if (!CoversDesktopInTime(s.window)) CoverDesktopByHand(s);
    return true;
}

void GameWindow::EnterWindowed() {
    GameWindowState& s = *m_state;
    SDL_SetWindowFullscreen(s.window, 0);
    SDL_SetWindowBordered(s.window, SDL_TRUE);
    SDL_SetWindowSize(s.window, s.windowedWidth, s.windowedHeight);
    if (s.coversDesktopByHand) SDL_SetWindowPosition(s.window, s.windowedX, s.windowedY);
    s.coversDesktopByHand = false;
    SDL_ShowWindow(s.window);
}

void GameWindow::SetScaleMode(ScaleMode mode) { m_state->scaleMode = mode; }

bool GameWindow::TakeFullscreenToggle() {
    bool requested = m_state->fullscreenToggleRequested;
    m_state->fullscreenToggleRequested = false;
    return requested;
}

bool GameWindow::ShowWarning(const char* title, const char* text, bool offerTickOff) {
    bool tickedOff = false;
    ShowWarningBox(m_state->window, title, text, offerTickOff ? &tickedOff : nullptr);
    return tickedOff;
}

void GameWindow::SetCursorVisible(bool visible) {
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

std::string GameWindow::RendererName() const {
    const GLubyte* name = glGetString(GL_RENDERER);
    return name ? reinterpret_cast<const char*>(name) : "";
}

bool GameWindow::IsSoftwareRenderer() const {
    std::string name = RendererName();
    for (const char* soft : {"llvmpipe", "softpipe", "Software", "software", "swrast"})
        if (name.find(soft) != std::string::npos) return true;
    return false;
}

int GameWindow::DesktopColourDepth() const {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 32;
    int bits = SDL_BITSPERPIXEL(mode.format);
    return bits == 24 ? 32 : bits;
}

void GameWindow::BindFrame() {
    TargetNextFrame(m_state->frameBuffer, m_state->width, m_state->height);
}

// The picture is fitted to the window as it is this frame, not as it was asked for,
// so a full screen that was refused or granted in part still shows all of it. Where
// the window's drawable is the frame's size and holds what the off-screen frame
// holds (8-bit colour planes, no alpha planes, no depth test in use) the next frame
// is drawn straight into it; otherwise the frame is copied over in one blit, texel
// for pixel where the scale is a whole number.
// The software present never swaps: the window's drawable is then only the place
// the frame is drawn in (its lower-left corner), in the renderer's fastest format.
void GameWindow::Present() {
    GameWindowState& s = *m_state;
    int windowW = 0, windowH = 0;
    if (!X11WindowSize(s.window, windowW, windowH))
        SDL_GL_GetDrawableSize(s.window, &windowW, &windowH);
    ViewportRect view = FitViewport(windowW, windowH, s.width, s.height, s.scaleMode);
    // A whole-number scale (always so in integer mode) is copied nearest, any other
    // filtered: the placement decides.
    const int rect[4] = {view.x, view.y, view.x + view.width, view.y + view.height};
    FramePlacement placement = PlaceFrame(s.width, s.height, windowW, windowH, rect);
    bool scaled = placement != FramePlacement::kWholeWindow;
    bool holdsFrame = windowW >= s.width && windowH >= s.height;
    bool intoWindow = false;
    if (scaled && PresentInSoftware(s, view, windowW, windowH, placement)) {
        intoWindow = holdsFrame && WindowHoldsFrameAsIs();
        s.shownInSoftware = true;
    } else {
        PresentThroughOpenGL(s, rect, placement);
        intoWindow = !scaled && WindowHoldsFrameAsIs();
    }
    TargetNextFrame(intoWindow ? 0 : s.frameBuffer, s.width, s.height);
}

bool GameWindow::UseSoftwarePresent(bool on) {
    if (!on || !OnX11())
        m_state->softwarePresent.reset();
    else if (!m_state->softwarePresent)
        m_state->softwarePresent = SoftwarePresent::Create(m_state->window);
    return UsesSoftwarePresent();
}

bool GameWindow::UsesSoftwarePresent() const { return m_state->softwarePresent != nullptr; }

namespace {
PlatformInputEvent::Button MouseButton(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return PlatformInputEvent::Button::kLeft;
        case SDL_BUTTON_MIDDLE:
            return PlatformInputEvent::Button::kMiddle;
        case SDL_BUTTON_RIGHT:
            return PlatformInputEvent::Button::kRight;
        default:
            return PlatformInputEvent::Button::kNone;
    }
}

// The mouse and key events the listeners hear about; false for every other event.
bool AsInputEvent(const SDL_Event& event, PlatformInputEvent& input) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (event.key.repeat) return false;
            input.kind = event.type == SDL_KEYDOWN ? PlatformInputEvent::Kind::kKeyDown
                                                   : PlatformInputEvent::Kind::kKeyUp;
            input.keyUsage = event.key.keysym.scancode;
            return true;
        case SDL_MOUSEMOTION:
            input.kind = PlatformInputEvent::Kind::kMotion;
            input.xMove = event.motion.xrel;
            input.yMove = event.motion.yrel;
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            input.kind = event.type == SDL_MOUSEBUTTONDOWN ? PlatformInputEvent::Kind::kButtonDown
                                                           : PlatformInputEvent::Kind::kButtonUp;
            input.button = MouseButton(event.button.button);
            return true;
        default:
            return false;
    }
}
}  // namespace

bool GameWindow::PumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        PlatformInputEvent input;
        if (AsInputEvent(event, input))
            for (PlatformEventListener listener : g_listeners) listener(input);
        if (event.type == SDL_KEYDOWN && event.key.keysym.scancode == SDL_SCANCODE_F11 &&
            !event.key.repeat)
            m_state->fullscreenToggleRequested = true;
        if (event.type == SDL_QUIT) m_state->closeRequested = true;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)
            m_state->closeRequested = true;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED &&
            m_state->softwarePresent)
            m_state->softwarePresent->RepaintBars();
    }
    // A window destroyed by another client ends the game as closing it does.
    if (X11WindowGone()) m_state->closeRequested = true;
    return !m_state->closeRequested;
}

void* GameWindow::GLFunction(const char* name) { return SDL_GL_GetProcAddress(name); }

void AddPlatformEventListener(PlatformEventListener listener) {
    if (std::find(g_listeners.begin(), g_listeners.end(), listener) == g_listeners.end())
        g_listeners.push_back(listener);
}

bool PlatformInit(bool headless, std::string& error) {
    if (headless) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (!SDL_getenv("SDL_AUDIODRIVER")) SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
        error = SDL_GetError();
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    std::string name = driver ? driver : "";
    if (!headless && (name == "offscreen" || name == "dummy")) {
        error = "no display was found";
        SDL_Quit();
        return false;
    }
    SDL_DisableScreenSaver();  // no screen saver while the program runs
    return true;
}

void PlatformQuit() { SDL_Quit(); }

double PlatformMilliseconds() {
    static const double frequency = double(SDL_GetPerformanceFrequency());
    return double(SDL_GetPerformanceCounter()) * 1000.0 / frequency;
}

void PlatformBeep() {}

void PlatformMessageBox(const char* title, const char* text) {
    ShowWarningBox(nullptr, title, text, nullptr);
}
