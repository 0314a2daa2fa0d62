// The per-frame duties of OpenGLRainbows: the flip on the frame grid, the clock,
// the alpha mode, the current colour, untextured primitives and polygons.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "gfx/OpenGLRainbows.h"
#include "runtime/Options.h"

int g_nTexture = 0;

namespace {
// A polygon keeps at most this many corners; more would be a runaway program.
constexpr std::size_t kMaxPolygonVertices = 65536;
constexpr int kPolygonFloats = 7;

FrameClock g_clock = OpenGLRainbows::DefaultFrameClock();

// The frame log for the benchmark (KIP_FRAME_LOG=FILE): one line a flip, the flip's
// number, 1 when its frame was finished after the grid point it was meant for, and
// the process's CPU time in ms (all threads, the renderer's too).
void LogFlip(bool late) {
    static std::FILE* log = [] {
        const char* path = std::getenv("KIP_FRAME_LOG");
        return path && *path ? std::fopen(path, "w") : nullptr;
    }();
    static long flips = 0;
    if (!log) return;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    std::fprintf(log, "%ld %d %.3f\n", flips++, late ? 1 : 0, cpu);
}

float Channel(unsigned long colour, int index) { return float((colour >> (8 * index)) & 0xFF); }

// One primitive through screen points x, y (y grows downward on the screen).
void ScreenVertices(GLenum mode, std::initializer_list<short> xy) {
    glBegin(mode);
    for (const short* p = xy.begin(); p + 1 < xy.end(); p += 2) glVertex2f(p[0], -float(p[1]));
    glEnd();
}
}  // namespace

FrameClock OpenGLRainbows::DefaultFrameClock() {
    FrameClock clock;
    clock.now = PlatformMilliseconds;
    clock.sleepUntil = SleepUntilPlatformTime;
    return clock;
}

void OpenGLRainbows::SetFrameClock(const FrameClock& clock) {
    FrameClock fallback = DefaultFrameClock();
    g_clock.now = clock.now ? clock.now : fallback.now;
    g_clock.sleepUntil = clock.sleepUntil;
    g_clock.cpuNow = clock.cpuNow;
}

double OpenGLRainbows::Now() const { return g_clock.now(); }

void OpenGLRainbows::SetupAccurateTimer() {
    m_counterUsable = 1;
    m_counterFrequency = 1000.0;
}

// Up to 500 frames a second when no rate is given.
void OpenGLRainbows::SetMaxFPS(int fps) { m_frameInterval = fps > 0 ? 1000.0 / fps : 2.0; }

void OpenGLRainbows::FlushQuads() {
    if (!m_quads.Empty()) m_quads.Flush();
}

// The depth planes matter only to the 3D viewport's depth test: 2D drawing leaves
// them alone, and clearing them every frame would cost as much as the colour.
void OpenGLRainbows::ClearFrame() {
    FlushQuads();
    glClearColor(0, 0, 0, 0);
    glClear(m_projection2D ? GL_COLOR_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Waits until the clock has passed the next grid point, pumping messages.
void OpenGLRainbows::WaitForFrameSlot() {
    auto pump = [](void* self) { static_cast<OpenGLRainbows*>(self)->WinMessages(); };
    m_pacer.WaitUntil(m_nextFrameTime, g_clock, pump, this);
}

double OpenGLRainbows::FlipScreens() {
    FlushQuads();
    KeepFrameForScreenshot();
    glFlush();
    if (m_window) m_window->Present();
    ClearFrame();
    double start = Now();
    LogFlip(!KvOptions().unpaced && start > m_nextFrameTime);
    // Paced, the wait takes the messages in itself, after its last sleep.
    if (KvOptions().unpaced)
        WinMessages();
    else
        WaitForFrameSlot();
    double now = Now();
    m_nextFrameTime += m_frameInterval;
    // A late frame does not make the following ones hurry: skip the passed points.
    if (m_frameInterval > 0 && m_nextFrameTime < now) {
        m_nextFrameTime += std::ceil((now - m_nextFrameTime) / m_frameInterval) * m_frameInterval;
        while (m_nextFrameTime < now) m_nextFrameTime += m_frameInterval;
    }
    return now - start + 1;
}

void OpenGLRainbows::SetColour(float r, float g, float b, float a) {
    if (m_colour[0] == r && m_colour[1] == g && m_colour[2] == b && m_colour[3] == a) return;
    FlushQuads();
    glColor4f(r, g, b, a);
    m_colour[0] = r;
    m_colour[1] = g;
    m_colour[2] = b;
    m_colour[3] = a;
}

void OpenGLRainbows::SetBlending(bool on) {
    FlushQuads();
    if (on)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
}

void OpenGLRainbows::OpaqueWhiteDrawing() {
    SetBlending(false);
    alphaFactor = 1.0f;
    SetColour(1, 1, 1, 1);
}

void OpenGLRainbows::DoAlpha(float f) {
    FlushQuads();
    if (f == 0 || std::isnan(f)) {
        glDisable(GL_BLEND);
        f = 1;
    } else if (f > 0) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_SRC_COLOR);
        f = -f;
    }
    if (f > 1) f = 1;
    alphaFactor = f;
    SetColour(f, f, f, 1);
}

// The shared frame of the primitives: colour scaled by the alpha factor, no texture,
// and the projection moved so that integer coordinates hit pixel centres.
OpenGLRainbows::BoundTextures OpenGLRainbows::BeginPrimitive(unsigned long colour) {
    FlushQuads();
    float f = alphaFactor;
    SetColour(Channel(colour, 0) * f / 255.0f, Channel(colour, 1) * f / 255.0f,
              Channel(colour, 2) * f / 255.0f, 1);
    BoundTextures bound{boundSlot, boundSecondSlot, boundVariant};
    SetTexture3D(-1, -1, 0);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glTranslatef(0.375f, -0.375f, 0);
    glMatrixMode(GL_MODELVIEW);
    return bound;
}

void OpenGLRainbows::EndPrimitive(const BoundTextures& bound) {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    SetColour(alphaFactor, alphaFactor, alphaFactor, 1);
    RestoreTextures(bound);
}

// A sprite selected for its page had bound nothing, and nothing is bound for it again.
void OpenGLRainbows::RestoreTextures(const BoundTextures& bound) {
    if (bound.second < 0 && bound.variant == 0 && m_batching && OnPage(bound.slot))
        RecordSelection(bound.slot);
    else
        SetTexture3D(bound.slot, bound.second, bound.variant);
}

void OpenGLRainbows::DrawPixel(short x, short y, unsigned long colour) {
    BoundTextures bound = BeginPrimitive(colour);
    ScreenVertices(GL_POINTS, {x, y});
    EndPrimitive(bound);
}

void OpenGLRainbows::DrawLine(short x1, short y1, short x2, short y2, unsigned long colour) {
    BoundTextures bound = BeginPrimitive(colour);
    ScreenVertices(GL_LINES, {x1, y1, x2, y2});
    ScreenVertices(GL_POINTS, {x2, y2});  // the end pixel is always set
    EndPrimitive(bound);
}

void OpenGLRainbows::DrawRect(short x1, short y1, short x2, short y2, unsigned long colour) {
    BoundTextures bound = BeginPrimitive(colour);
    ScreenVertices(GL_QUADS, {x1, y2, x2, y2, x2, y1, x1, y1});
    EndPrimitive(bound);
}

// The corners are kept until EndPoly, so that drawing between StartPoly and EndPoly
// cannot break the polygon.
void OpenGLRainbows::StartPoly(int slot) {
    g_nTexture = ValidSlot(slot) ? slot : -1;
    SetTexture3D(g_nTexture, -1, 0);
    m_polyVertices.clear();
}

void OpenGLRainbows::PolyPoint(short x, short y, float s, float t, unsigned long colour) {
    if (m_polyVertices.size() >= kMaxPolygonVertices * kPolygonFloats) return;
    float f = alphaFactor;
    const float vertex[kPolygonFloats] = {float(x),
                                          -float(y),
                                          s,
                                          1 - t,
                                          Channel(colour, 0) / 255.0f * f,
                                          Channel(colour, 1) / 255.0f * f,
                                          Channel(colour, 2) / 255.0f * f};
    m_polyVertices.insert(m_polyVertices.end(), vertex, vertex + kPolygonFloats);
}

// Sprites drawn since StartPoly selected their own textures: the polygon's is
// selected again before it is filled.
void OpenGLRainbows::EndPoly() {
    FlushQuads();
    SetTexture3D(g_nTexture, -1, 0);
    glBegin(GL_TRIANGLE_FAN);
    for (std::size_t i = 0; i < m_polyVertices.size(); i += kPolygonFloats) {
        const float* v = &m_polyVertices[i];
        if (g_nTexture >= 0) glTexCoord2f(v[2], v[3]);
        glColor4f(v[4], v[5], v[6], 1);
        glVertex2f(v[0], v[1]);
    }
    glEnd();
    m_polyVertices.clear();
    glEnable(GL_TEXTURE_2D);
    m_unitEnabled[0] = 1;
    m_colour[0] = -1;  // the vertex colours replaced the current colour
    SetColour(alphaFactor, alphaFactor, alphaFactor, 1);
    glDisable(GL_COLOR_MATERIAL);
}

void OpenGLRainbows::ReadFrame(int x, int y, int width, int height, std::vector<uint8_t>& rgb) {
    FlushQuads();
    rgb.assign(std::size_t(width > 0 ? width : 0) * (height > 0 ? height : 0) * 3, 0);
    if (rgb.empty()) return;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}
