// OpenGLRainbows: life of the graphics object — binding to the window, full screen
// and window, viewports, the message pump and freeing every sprite and surface.
#include "gfx/OpenGLRainbows.h"

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/UserConfig.h"
#include "runtime/Options.h"
#include "runtime/Runtime.h"
#include "runtime/Signals.h"
#include "runtime/Trace.h"

namespace {
// The graphics object that writes the screenshots asked for on the command line.
OpenGLRainbows* g_screenshotSource = nullptr;

bool WriteScreenshot(const std::string& path) {
    return g_screenshotSource && g_screenshotSource->WriteShownFrame(path);
}

// The player's settings folder remembers that the software-renderer warning was
// ticked off, so it is not shown again.
constexpr const char* kWarningTickedOff = "software-renderer-warning-off";

bool SoftwareWarningWanted() {
    const RuntimeOptions& options = KvOptions();
    return !options.headless && !options.noWarning && !UserConfigRemembers(kWarningTickedOff);
}

void RememberSoftwareWarningTickedOff() {
    std::string error;
    if (!UserConfigRemember(kWarningTickedOff, error))
        std::fprintf(stderr, "The warning will show again: %s\n", error.c_str());
}

// One fan per sprite instead of queued quads, for comparisons and measurements.
bool BatchingWanted() {
    const char* value = std::getenv("KIP_ONE_FAN_PER_SPRITE");
    return !(value && *value && *value != '0');
}
}  // namespace

OpenGLRainbows::OpenGLRainbows() : m_surfaces(new RainbowSurface[kSurfaceCount]) {
    ResetSlotTables();
    std::memset(m_surfaces.get(), 0, sizeof(RainbowSurface) * kSurfaceCount);
    m_batching = BatchingWanted();
    SetupAccurateTimer();
    SetMaxFPS(60);
    m_nextFrameTime = Now();
}

OpenGLRainbows::~OpenGLRainbows() {
    if (g_screenshotSource == this) {
        g_screenshotSource = nullptr;
        KvSetScreenshotWriter(nullptr);
    }
    FreeAll();
    if (m_window) DoWindowed();
}

bool OpenGLRainbows::Init(GameWindow* window, int width, int height, int colourDepth,
                          unsigned short frameRate) {
    SetMaxFPS(frameRate);
    m_window = window;
    if (colourDepth == 0) colourDepth = window->DesktopColourDepth();
    m_width = width;
    m_height = height;
    m_colourDepth = colourDepth;
    m_fullscreen = false;
    SetDCPixelFormat();
    KvTrace("RENDERER", {window->RendererName().c_str()});
    window->BindFrame();
    m_nextFrameTime = Now();
    m_initialised = true;
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    m_unitEnabled[1] = 0;
    Make2DViewport();
    g_screenshotSource = this;
    KvSetScreenshotWriter(WriteScreenshot);
    return true;
}

// The pixel format was chosen when the window was made; what is left is to report
// which kind of renderer it got. The warning box waits for ShowSoftwareWarning, so
// that it shows over the window as the game will have it (full screen or not).
void OpenGLRainbows::SetDCPixelFormat() {
    if (m_window->IsSoftwareRenderer()) {
        m_softwareWarningDue = SoftwareWarningWanted();
        KvAppendErrorLog("OpenGL Software Emulation");
    } else {
        KvAppendErrorLog("OpenGL Hardware Support");
    }
}

void OpenGLRainbows::ShowSoftwareWarning() {
    if (!m_softwareWarningDue || !m_window) return;
    m_softwareWarningDue = false;
    bool tickedOff = m_window->ShowWarning("!!OpenGL Software Emulation!!",
                                           "Please update your GFX adapter's driver\n"
                                           "so it can render OpenGL by HARDWARE\n\n\n"
                                           "Bitte aktualisieren Sie Ihren\n"
                                           "Grafkkartentreiber, damit er OpenGL\n"
                                           "per HARDWARE unterst\xC3\xBCtzt!",
                                           true);
    if (tickedOff) RememberSoftwareWarningTickedOff();
}

// The window alone, not the drawing state: the cursor is hidden once when entering
// full screen, shown again when leaving it.
bool OpenGLRainbows::WindowToFullscreen() {
    if (!m_window->EnterFullscreen()) {
        PlatformBeep();
        KvAppendErrorLog("No Fullscreen Mode available");
        WindowToWindowed();
        return false;
    }
    if (!m_fullscreen) m_window->SetCursorVisible(false);
    m_fullscreen = true;
    return true;
}

void OpenGLRainbows::WindowToWindowed() {
    m_window->EnterWindowed();
    if (m_fullscreen) m_window->SetCursorVisible(true);
    m_fullscreen = false;
}

bool OpenGLRainbows::DoFullscreen() {
    if (!m_window) return false;
    bool granted = WindowToFullscreen();
    if (granted)
        ChangeSize(m_width, m_height);
    else
        ResizeAuto();
    return granted;
}

bool OpenGLRainbows::DoWindowed() {
    if (!m_window) return true;
    WindowToWindowed();
    ResizeAuto();
    return true;
}

bool OpenGLRainbows::HideWindow() {
    if (!m_window) return true;
    if (m_fullscreen) m_window->EnterWindowed();
    m_window->Hide();
    if (m_fullscreen) m_window->SetCursorVisible(true);
    m_fullscreen = false;
    return true;
}

namespace {
// Shared by both viewports: counter-clockwise fronts, back faces culled, fragments
// with alpha up to 0.5 dropped, opaque white drawing on a black clear colour.
void CullBackFacesAndKeyOutTransparency() {
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 0);
}
}  // namespace

void OpenGLRainbows::Make2DViewport() {
    FlushQuads();
    glViewport(0, 0, m_width, m_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, m_width, -m_height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    CullBackFacesAndKeyOutTransparency();
    glShadeModel(GL_FLAT);
    for (GLenum cap :
         {GL_DITHER, GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_POLYGON_SMOOTH, GL_STENCIL_TEST,
          GL_POLYGON_OFFSET_POINT, GL_COLOR_MATERIAL, GL_AUTO_NORMAL, GL_NORMALIZE, GL_LIGHTING})
        glDisable(cap);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_FASTEST);
    m_unitEnabled[0] = 1;
    for (int i = 0; i < 4; ++i) m_colour[i] = 1;
    m_projection2D = true;
}

void OpenGLRainbows::Make3DViewport(double nearPlane, double farPlane, double fieldOfView) {
    FlushQuads();
    m_projection2D = false;
    int height = m_height == 0 ? 1 : m_height;
    glViewport(0, 0, m_width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    double top = nearPlane * std::tan(fieldOfView * M_PI / 360.0);
    double right = top * m_width / height;
    glFrustum(-right, right, -top, top, nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBindTexture(GL_TEXTURE_2D, 0);
    boundSlot = boundSecondSlot = -1;
    boundVariant = 0;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    CullBackFacesAndKeyOutTransparency();
    for (GLenum cap : {GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_POLYGON_SMOOTH, GL_STENCIL_TEST,
                       GL_POLYGON_OFFSET_POINT, GL_AUTO_NORMAL, GL_NORMALIZE, GL_LIGHTING})
        glDisable(cap);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DITHER);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    m_unitTexture[0] = 0;
    for (int i = 0; i < 4; ++i) m_colour[i] = 1;
}

void OpenGLRainbows::ResizeAuto() { Make2DViewport(); }

void OpenGLRainbows::ChangeSize(int width, int height) {
    m_width = width;
    m_height = height;
    Make2DViewport();
}

bool OpenGLRainbows::WinMessages() {
    // The window was closed, or a signal (the terminal closed, Ctrl+C, kill) asked to quit.
    if ((m_window && !m_window->PumpEvents()) || KvQuitSignalled()) __EndProgram();
    // F11: the player switches between full screen and window; the frame is untouched.
    // The game's drawing state stays as the program set it.
    if (m_window && m_window->TakeFullscreenToggle() && m_window->IsVisible()) {
        if (m_fullscreen)
            WindowToWindowed();
        else
            WindowToFullscreen();
    }
    return true;
}

// Frees every sprite slot and every surface (only marks them empty before the
// context exists).
void OpenGLRainbows::FreeAll() {
    if (!m_initialised) {
        ResetSlotTables();
        return;
    }
    for (int slot = 0; slot < kSpriteSlots; ++slot) FreeSprite(slot);
    for (int surface = 0; surface < kSurfaceCount; ++surface) FreeSurface(surface);
    m_pages.Clear();
}
