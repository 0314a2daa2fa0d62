// The game window on SDL2 with an OpenGL compatibility context, and the off-screen
// frame (a frame buffer object) that every drawing command targets.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx/GameWindow.h"

struct GameWindowState {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    GLuint frameBuffer = 0;
    GLuint colourBuffer = 0;
    int width = 0;
    int height = 0;
    bool closeRequested = false;
};

namespace {
std::vector<PlatformEventListener> g_listeners;

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

// The largest rectangle of the frame's aspect that fits the window, centred.
void FitRectangle(int frameW, int frameH, int windowW, int windowH, int rect[4]) {
    double scale = std::min(double(windowW) / frameW, double(windowH) / frameH);
    int w = std::max(1, int(frameW * scale));
    int h = std::max(1, int(frameH * scale));
    rect[0] = (windowW - w) / 2;
    rect[1] = (windowH - h) / 2;
    rect[2] = rect[0] + w;
    rect[3] = rect[1] + h;
}
}  // namespace

GameWindow* GameWindow::Create(const char* title, int width, int height, std::string& error) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_Window* window =
        SDL_CreateWindow(title, 50, 50, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
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

    GameWindow* result = new GameWindow();
    result->m_state = new GameWindowState{window, context, 0, 0, width, height, false};
    if (!CreateFrameBuffer(*result->m_state)) {
        error = "the OpenGL driver offers no off-screen frame buffer";
        delete result;
        return nullptr;
    }
    return result;
}

GameWindow::~GameWindow() {
    if (!m_state) return;
    if (m_state->context) {
        glDeleteFramebuffers(1, &m_state->frameBuffer);
        glDeleteRenderbuffers(1, &m_state->colourBuffer);
        SDL_GL_MakeCurrent(m_state->window, nullptr);
        SDL_GL_DeleteContext(m_state->context);
    }
    if (m_state->window) SDL_DestroyWindow(m_state->window);
    delete m_state;
}

void GameWindow::SetTitle(const char* title) { SDL_SetWindowTitle(m_state->window, title); }
void GameWindow::Show() { SDL_ShowWindow(m_state->window); }
void GameWindow::Hide() { SDL_HideWindow(m_state->window); }

bool GameWindow::IsVisible() const {
    return (SDL_GetWindowFlags(m_state->window) & SDL_WINDOW_SHOWN) != 0;
}

bool GameWindow::EnterFullscreen() {
    if (SDL_SetWindowFullscreen(m_state->window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
    SDL_ShowWindow(m_state->window);
    SDL_RaiseWindow(m_state->window);
    return true;
}

void GameWindow::EnterWindowed() {
    SDL_SetWindowFullscreen(m_state->window, 0);
    SDL_SetWindowBordered(m_state->window, SDL_TRUE);
    SDL_SetWindowSize(m_state->window, m_state->width, m_state->height);
    SDL_ShowWindow(m_state->window);
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

void GameWindow::BindFrame() { glBindFramebuffer(GL_FRAMEBUFFER, m_state->frameBuffer); }

void GameWindow::Present() {
    int windowW = 0, windowH = 0;
    SDL_GL_GetDrawableSize(m_state->window, &windowW, &windowH);
    int rect[4];
    FitRectangle(m_state->width, m_state->height, std::max(windowW, 1), std::max(windowH, 1), rect);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_state->frameBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glBlitFramebuffer(0, 0, m_state->width, m_state->height, rect[0], rect[1], rect[2], rect[3],
                      GL_COLOR_BUFFER_BIT, GL_LINEAR);
    SDL_GL_SwapWindow(m_state->window);
    BindFrame();
}

bool GameWindow::PumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        for (PlatformEventListener listener : g_listeners) listener(event);
        if (event.type == SDL_QUIT) m_state->closeRequested = true;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)
            m_state->closeRequested = true;
    }
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
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, title, text, nullptr);
}
