// Where the present of a 640 x 480 frame into a full-screen window goes on a
// software renderer, stage by stage, and what the candidates for a cheaper present
// cost: on an Xvfb server of the given size that this program starts itself, with
// an SDL window covering it and the game's kind of off-screen frame.
// Figures per frame: process CPU (all threads, the renderer's included), the X
// server's CPU, and wall time, each stage run alone many times and finished.
//   present_bench WIDTHxHEIGHT [frames]
#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_opengl.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <pixman.h>
#include <sys/ipc.h>
#include <sys/resource.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/gfx/BenchXvfb.h"
#include "gfx/FrameScaler.h"

namespace {
constexpr int kFrameW = 640, kFrameH = 480;

double ProcessCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double WallMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

struct Stage {
    const char* name;
    std::function<void()> run;
};

pid_t g_server = -1;
int g_frames = 200;

void Measure(const Stage& stage) {
    stage.run();  // warm
    double cpu = ProcessCpu(), server = ProcessCpuOf(g_server), wall = WallMs();
    for (int i = 0; i < g_frames; ++i) stage.run();
    double n = g_frames;
    std::printf("  %-52s cpu %6.2f ms  X server %5.2f ms  wall %6.2f ms\n", stage.name,
                (ProcessCpu() - cpu) / n, (ProcessCpuOf(g_server) - server) / n,
                (WallMs() - wall) / n);
    std::fflush(stdout);
}

struct Fit {
    const char* name;
    int x, y, w, h;  // from the top left
    bool linear;
};

struct ShmImage {
    XShmSegmentInfo info{};
    XImage* image = nullptr;
};

ShmImage MakeShmImage(Display* display, Visual* visual, int depth, int w, int h) {
    ShmImage shm;
    shm.image = XShmCreateImage(display, visual, unsigned(depth), ZPixmap, nullptr, &shm.info,
                                unsigned(w), unsigned(h));
    shm.info.shmid =
        shmget(IPC_PRIVATE, std::size_t(shm.image->bytes_per_line) * h, IPC_CREAT | 0600);
    shm.info.shmaddr = shm.image->data = static_cast<char*>(shmat(shm.info.shmid, nullptr, 0));
    shm.info.readOnly = False;
    XShmAttach(display, &shm.info);
    XSync(display, False);
    shmctl(shm.info.shmid, IPC_RMID, nullptr);
    return shm;
}

// The bound texture drawn texel for pixel at the fit's place in the window.
void OneToOneQuad(const Fit& f, int screenW, int screenH) {
    glViewport(0, 0, screenW, screenH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, screenW, screenH, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(float(f.x), float(f.y));
    glTexCoord2f(0, 1);
    glVertex2f(float(f.x), float(f.y + f.h));
    glTexCoord2f(1, 1);
    glVertex2f(float(f.x + f.w), float(f.y + f.h));
    glTexCoord2f(1, 0);
    glVertex2f(float(f.x + f.w), float(f.y));
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

void Scale(pixman_image_t* source, uint32_t* target, int w, int h, bool linear) {
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, w, h, target, w * 4);
    pixman_transform_t transform;
    pixman_transform_init_scale(&transform, pixman_double_to_fixed(double(kFrameW) / w),
                                pixman_double_to_fixed(double(kFrameH) / h));
    pixman_image_set_transform(source, &transform);
    pixman_image_set_filter(source, linear ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST,
                            nullptr, 0);
    pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, dst, 0, 0, 0, 0, 0, 0, w, h);
    pixman_image_unref(dst);
}
// An off-screen frame of the game's size whose colour planes have FORMAT; left bound.
GLuint FrameOfFormat(GLenum format) {
    GLuint frame = 0, colour = 0;
    glGenFramebuffers(1, &frame);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, format, kFrameW, kFrameH);
    glBindFramebuffer(GL_FRAMEBUFFER, frame);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    return frame;
}

}  // namespace

int main(int argc, char** argv) {
    std::string size = argc > 1 ? argv[1] : "1920x1080";
    if (argc > 2) g_frames = std::max(10, std::atoi(argv[2]));
    int screenW = 0, screenH = 0;
    if (std::sscanf(size.c_str(), "%dx%d", &screenW, &screenH) != 2) return 2;
    BenchXvfb server(size);
    if (!server.Running()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    g_server = server.Pid();
    setenv("DISPLAY", server.Display().c_str(), 1);
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_Window* window = SDL_CreateWindow("present", 0, 0, screenW, screenH,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(0);
    std::printf("== %s, renderer %s, %d frames a stage, load %s\n", size.c_str(),
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)), g_frames,
                LoadAverage().c_str());

    GLuint fbo = FrameOfFormat(GL_RGB8);
    // A frame with alpha planes, for reading back without filling in alpha.
    GLuint staging = FrameOfFormat(GL_RGBA8);
    // The same frame as a texture of its own, as drawing into a texture would make it.
    GLuint frameTexture = 0;
    glGenTextures(1, &frameTexture);
    glBindTexture(GL_TEXTURE_2D, frameTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kFrameW, kFrameH, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 std::vector<uint32_t>(std::size_t(kFrameW) * kFrameH, 0xFF336699u).data());
    glClearColor(0.2f, 0.4f, 0.6f, 1);
    glClear(GL_COLOR_BUFFER_BIT);

    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_GetWindowWMInfo(window, &info);
    Display* x = info.info.x11.display;
    Window xwindow = info.info.x11.window;
    XWindowAttributes attributes;
    XGetWindowAttributes(x, xwindow, &attributes);
    GC gc = XCreateGC(x, xwindow, 0, nullptr);
    SDL_GL_SwapWindow(window);
    glFinish();

    std::vector<uint32_t> frame(std::size_t(kFrameW) * kFrameH);
    pixman_image_t* source =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, kFrameW, kFrameH, frame.data(), kFrameW * 4);
    std::vector<uint32_t> scaled(std::size_t(screenW) * screenH);
    FrameScaler scaler;

    int smoothW = std::min(screenW, int(screenH * 4.0 / 3.0 + 0.5));
    int smoothH = std::min(screenH, int(screenW * 3.0 / 4.0 + 0.5));
    int factor = std::min(screenW / kFrameW, screenH / kFrameH);
    const Fit fits[2] = {
        {"smooth", (screenW - smoothW) / 2, (screenH - smoothH) / 2, smoothW, smoothH, true},
        {"integer", (screenW - kFrameW * factor) / 2, (screenH - kFrameH * factor) / 2,
         kFrameW * factor, kFrameH * factor, false}};

    auto bindWindow = [&] {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    };
    auto clearWindow = [&] {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    };
    auto blit = [&](const Fit& f) {
        int bottom = screenH - f.y - f.h;
        glBlitFramebuffer(0, 0, kFrameW, kFrameH, f.x, bottom, f.x + f.w, bottom + f.h,
                          GL_COLOR_BUFFER_BIT, f.linear ? GL_LINEAR : GL_NEAREST);
    };
    auto swap = [&] {
        SDL_GL_SwapWindow(window);
        glFinish();
    };
    auto readFrame = [&] {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, kFrameW, kFrameH, GL_BGRA, GL_UNSIGNED_BYTE, frame.data());
    };

    for (const Fit& f : fits) {
        std::printf("-- %s fit, %d x %d at %d, %d\n", f.name, f.w, f.h, f.x, f.y);
        ShmImage shm = MakeShmImage(x, attributes.visual, attributes.depth, f.w, f.h);
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, f.w, f.h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        auto* shmPixels = reinterpret_cast<uint32_t*>(shm.image->data);
        std::vector<Stage> stages = {
            {"today: clear window, blit, swap",
             [&] {
                 bindWindow();
                 clearWindow();
                 blit(f);
                 swap();
             }},
            {"  clear window alone",
             [&] {
                 bindWindow();
                 clearWindow();
                 glFinish();
             }},
            {"  blit alone",
             [&] {
                 bindWindow();
                 blit(f);
                 glFinish();
             }},
            {"  swap alone", [&] { swap(); }},
            {"blit without the clear, swap",
             [&] {
                 bindWindow();
                 blit(f);
                 swap();
             }},
            {"frame as a texture, drawn as a quad, swap",
             [&] {
                 glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
                 glBindTexture(GL_TEXTURE_2D, frameTexture);
                 GLint filter = f.linear ? GL_LINEAR : GL_NEAREST;
                 glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
                 glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
                 glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
                 OneToOneQuad(f, screenW, screenH);
                 swap();
             }},
            {"read the frame back (BGRA)",
             [&] {
                 readFrame();
                 glFinish();
             }},
            {"read the window's corner back (BGRA)",
             [&] {
                 glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
                 glReadBuffer(GL_BACK);
                 glReadPixels(0, 0, kFrameW, kFrameH, GL_BGRA, GL_UNSIGNED_BYTE, frame.data());
                 glFinish();
             }},
            {"window's corner blitted into an RGBA8 frame, read (BGRA)",
             [&] {
                 glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
                 glReadBuffer(GL_BACK);
                 glBindFramebuffer(GL_DRAW_FRAMEBUFFER, staging);
                 glBlitFramebuffer(0, 0, kFrameW, kFrameH, 0, 0, kFrameW, kFrameH,
                                   GL_COLOR_BUFFER_BIT, GL_NEAREST);
                 glBindFramebuffer(GL_READ_FRAMEBUFFER, staging);
                 glReadPixels(0, 0, kFrameW, kFrameH, GL_BGRA, GL_UNSIGNED_BYTE, frame.data());
                 glFinish();
             }},
            {"FrameScaler (pixman across, rows mixed) into memory",
             [&] {
                 scaler.Scale(PixelBlock{frame.data(), kFrameW, kFrameH, kFrameW},
                              PixelBlock{scaled.data(), f.w, f.h, f.w}, f.linear);
             }},
            {"pixman scale into memory", [&] { Scale(source, scaled.data(), f.w, f.h, f.linear); }},
            {"glDrawPixels of the scaled picture 1:1, swap",
             [&] {
                 glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
                 glWindowPos2i(f.x, screenH - f.y - f.h);
                 glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
                 glDrawPixels(f.w, f.h, GL_BGRA, GL_UNSIGNED_BYTE, scaled.data());
                 swap();
             }},
            {"texture upload of the scaled picture, 1:1 quad, swap",
             [&] {
                 glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
                 glBindTexture(GL_TEXTURE_2D, texture);
                 glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
                 glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, f.w, f.h, GL_BGRA, GL_UNSIGNED_BYTE,
                                 scaled.data());
                 OneToOneQuad(f, screenW, screenH);
                 swap();
             }},
            {"XPutImage of the scaled picture, XSync",
             [&] {
                 XImage* image = XCreateImage(x, attributes.visual, unsigned(attributes.depth),
                                              ZPixmap, 0, reinterpret_cast<char*>(scaled.data()),
                                              unsigned(f.w), unsigned(f.h), 32, f.w * 4);
                 XPutImage(x, xwindow, gc, image, 0, 0, f.x, f.y, unsigned(f.w), unsigned(f.h));
                 XSync(x, False);
                 image->data = nullptr;
                 XDestroyImage(image);
             }},
            {"XShmPutImage of the scaled picture, XSync",
             [&] {
                 XShmPutImage(x, xwindow, gc, shm.image, 0, 0, f.x, f.y, unsigned(f.w),
                              unsigned(f.h), False);
                 XSync(x, False);
             }},
            {"all on the CPU: read back, FrameScaler, XShmPutImage",
             [&] {
                 readFrame();
                 scaler.Scale(PixelBlock{frame.data(), kFrameW, kFrameH, kFrameW},
                              PixelBlock{shmPixels, f.w, f.h, shm.image->bytes_per_line / 4},
                              f.linear);
                 XShmPutImage(x, xwindow, gc, shm.image, 0, 0, f.x, f.y, unsigned(f.w),
                              unsigned(f.h), False);
                 XSync(x, False);
             }},
        };
        for (const Stage& stage : stages) Measure(stage);
        glDeleteTextures(1, &texture);
        XShmDetach(x, &shm.info);
        XSync(x, False);
        shmdt(shm.info.shmaddr);
        shm.image->data = nullptr;
        XDestroyImage(shm.image);
    }
    pixman_image_unref(source);
    XFreeGC(x, gc);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
