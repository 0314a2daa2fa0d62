// What the pixels of a level-like frame cost on the driver, headless: about 130
// sprite quads at whole pixels and their pictures' own sizes (82 floor tiles, 20
// ladders, a 640 x 32 status bar, a radar, small sprites; about 140 000 pixels),
// drawn with the runtime's window and flip, once through the runtime's SPRITE
// command and then with plain GL state variants that isolate the costs: clear only,
// the alpha test on and off, plain 2D textures in RGBA and BGRA against the
// runtime's own pages and shaders, nearest against linear, the texture environment,
// one draw call per quad, blending instead of the alpha test, small shaders, drawing
// into a texture instead of the window, and the frame composited on the CPU and
// handed to GL (upload, blit, full-screen quad).
// Figures are CPU time per frame of all threads (the software renderer's own too).
//   build/<kind>/bench/gfx/draw_bench [frames]
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "commands/kv.h"
#include "gfx/OpenGLRainbows.h"
#include "runtime/Options.h"
#include "tests/gfx/BitmapFiles.h"

namespace {
struct Picture {
    int width, height;  // the picture; its texture is the next power of two
    int slot;
};
const Picture kTile{32, 32, 1}, kLadder{32, 32, 2}, kBar{640, 32, 3}, kRadar{106, 88, 4},
    kSmall{16, 16, 5};
const Picture kPictures[] = {kTile, kLadder, kBar, kRadar, kSmall};

struct Quad {
    const Picture* picture;
    int x, y;
};

std::vector<Quad> LevelQuads() {
    std::vector<Quad> quads;
    for (int i = 0; i < 82; ++i) quads.push_back({&kTile, (i % 20) * 32, 64 + (i / 20) * 80});
    for (int i = 0; i < 20; ++i) quads.push_back({&kLadder, 40 + (i % 5) * 120, 96 + (i / 5) * 80});
    for (int i = 0; i < 25; ++i) quads.push_back({&kSmall, (i * 97) % 620, (i * 43) % 400});
    quads.push_back({&kRadar, 520, 360});
    quads.push_back({&kBar, 0, 448});
    return quads;
}

int PowerOfTwo(int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
}

// Texels RGBA with about one in twelve transparent (alpha 0, colour 0), the rest opaque.
std::vector<uint8_t> PictureTexels(const Picture& p, int tw, int th) {
    std::vector<uint8_t> texels(std::size_t(tw) * th * 4, 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            uint8_t* t = &texels[(std::size_t(y) * tw + x) * 4];
            if ((x * 7 + y * 13) % 12 == 0) continue;
            t[0] = uint8_t(x * 5 + p.slot * 40);
            t[1] = uint8_t(y * 3);
            t[2] = uint8_t(x + y);
            t[3] = 255;
        }
    return texels;
}

std::string WritePicture(const Picture& p) {
    std::vector<uint8_t> out = MakeBitmap24(p.width, p.height, [&](int x, int top) {
        int y = p.height - 1 - top;
        if ((x * 7 + y * 13) % 12 == 0) return TestRgb{255, 0, 128};
        return TestRgb{uint8_t(x * 5 + p.slot * 40), uint8_t(y * 3), uint8_t(x + y)};
    });
    std::string path = KvTempDirectory() + "kip_draw_bench_" + std::to_string(getpid()) + "_" +
                       std::to_string(p.slot) + ".bmp";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
    return path;
}

double CpuMilliseconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// The least of ten blocks of CPU time per frame (the flip included): the machine is
// shared, and the quietest block is the measure.
double CpuPerFrame(const std::function<void()>& draw, int frames) {
    for (int i = 0; i < 10; ++i) {
        draw();
        pRbow->FlipScreens();
    }
    std::vector<double> blocks;
    int block = std::max(1, frames / 10);
    for (int b = 0; b < 10; ++b) {
        double start = CpuMilliseconds();
        for (int i = 0; i < block; ++i) {
            draw();
            pRbow->FlipScreens();
        }
        blocks.push_back((CpuMilliseconds() - start) / block);
    }
    return *std::min_element(blocks.begin(), blocks.end());
}

// Plain GL textures of the pictures, one variant of target, format and filter.
struct Textures {
    GLenum target = GL_TEXTURE_2D;
    GLuint names[8] = {};
    GLuint page = 0;  // array texture holding every picture in a 1024 x 128 cell
};

GLuint MakeTexture2D(const Picture& p, bool bgra, GLenum filter, bool clamp = false) {
    int tw = PowerOfTwo(p.width), th = PowerOfTwo(p.height);
    std::vector<uint8_t> texels = PictureTexels(p, tw, th);
    if (bgra)
        for (std::size_t i = 0; i < texels.size(); i += 4) std::swap(texels[i], texels[i + 2]);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    GLint wrap = clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(filter));
    // BGRA: an unsized texture filled from BGRA bytes, which the driver keeps in that order.
    GLint internal = bgra ? GL_RGBA : GL_RGBA8;
    glTexImage2D(GL_TEXTURE_2D, 0, internal, tw, th, 0, bgra ? GL_BGRA : GL_RGBA,
                 GL_UNSIGNED_BYTE, texels.data());
    return name;
}

struct Variant {
    const char* name;
    bool bgra = false;
    GLenum filter = GL_NEAREST;
    bool alphaTest = true;
    GLenum texEnv = GL_MODULATE;
    bool onePerQuad = false;
    bool premultipliedBlend = false;
    bool arrayTexture = false;
    bool clamp = false;
    bool smooth = false;
};

void SetFixedState(const Variant& v) {
    glShadeModel(v.smooth ? GL_SMOOTH : GL_FLAT);
    if (v.alphaTest)
        glEnable(GL_ALPHA_TEST);
    else
        glDisable(GL_ALPHA_TEST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLint(v.texEnv));
    if (v.premultipliedBlend) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}

void RestoreRuntimeState() {
    glEnable(GL_ALPHA_TEST);
    glShadeModel(GL_FLAT);
    glDisable(GL_BLEND);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void QuadCorners(const Quad& q, float corners[8], float texture[8]) {
    float l = float(q.x), r = float(q.x + q.picture->width), t = -float(q.y),
          b = -float(q.y + q.picture->height);
    float s = float(q.picture->width) / float(PowerOfTwo(q.picture->width));
    float u = float(q.picture->height) / float(PowerOfTwo(q.picture->height));
    const float c[8] = {l, b, r, b, r, t, l, t};
    const float x[8] = {0, 0, s, 0, s, u, 0, u};
    std::copy(c, c + 8, corners);
    std::copy(x, x + 8, texture);
}

// Quads drawn per picture, each picture's run with one call (or one call per quad).
void DrawPlain(const std::vector<Quad>& quads, const GLuint names[], const Variant& v) {
    SetFixedState(v);
    std::vector<float> positions, coords;
    std::vector<GLint> firsts;
    std::vector<GLsizei> counts;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    for (const Picture& p : kPictures) {
        positions.clear();
        coords.clear();
        firsts.clear();
        counts.clear();
        for (const Quad& q : quads) {
            if (q.picture->slot != p.slot) continue;
            float c[8], t[8];
            QuadCorners(q, c, t);
            firsts.push_back(GLint(positions.size() / 2));
            counts.push_back(4);
            positions.insert(positions.end(), c, c + 8);
            coords.insert(coords.end(), t, t + 8);
        }
        glBindTexture(GL_TEXTURE_2D, names[p.slot]);
        glVertexPointer(2, GL_FLOAT, 0, positions.data());
        glTexCoordPointer(2, GL_FLOAT, 0, coords.data());
        if (v.onePerQuad)
            for (std::size_t i = 0; i < firsts.size(); ++i)
                glDrawArrays(GL_TRIANGLE_FAN, firsts[i], 4);
        else
            glMultiDrawArrays(GL_TRIANGLE_FAN, firsts.data(), counts.data(),
                              GLsizei(firsts.size()));
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    RestoreRuntimeState();
}

GLuint CompileProgram(const char* fragment) {
    const char* vertex =
        "#version 120\nvoid main() { gl_Position = ftransform(); gl_TexCoord[0] = "
        "gl_MultiTexCoord0; gl_FrontColor = gl_Color; }\n";
    GLuint program = glCreateProgram();
    for (auto [kind, source] :
         {std::pair{GL_VERTEX_SHADER, vertex}, {GL_FRAGMENT_SHADER, fragment}}) {
        GLuint shader = glCreateShader(kind);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
    }
    glLinkProgram(program);
    return program;
}

void DrawWithProgram(const std::vector<Quad>& quads, const GLuint names[], GLuint program,
                     const Variant& v) {
    glUseProgram(program);
    DrawPlain(quads, names, v);
    glUseProgram(0);
}

// The last resort measured: the quads composited on the CPU into a frame-sized
// buffer, handed to GL once per frame as a texture and copied into the frame.
struct CpuFrame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    std::vector<std::vector<uint32_t>> pictures;
    GLuint texture = 0, frameBuffer = 0;
};

void Composite(CpuFrame& f, const std::vector<Quad>& quads) {
    std::fill(f.pixels.begin(), f.pixels.end(), 0u);
    for (const Quad& q : quads) {
        const Picture& p = *q.picture;
        const std::vector<uint32_t>& texels = f.pictures[std::size_t(p.slot)];
        int tw = PowerOfTwo(p.width);
        for (int k = 0; k < p.height; ++k) {
            int row = f.height - q.y - p.height + k;
            if (row < 0 || row >= f.height) continue;
            uint32_t* out = &f.pixels[std::size_t(row) * f.width];
            const uint32_t* in = &texels[std::size_t(k) * tw];
            for (int j = 0; j < p.width; ++j) {
                int x = q.x + j;
                if (x < 0 || x >= f.width) continue;
                if (in[j] >> 31) out[x] = in[j];
            }
        }
    }
}

enum class HandOverWay { kUploadOnly, kBlitOnly, kUploadAndBlit, kUploadAndQuad };

void HandOver(CpuFrame& f, HandOverWay way) {
    bool upload = way != HandOverWay::kBlitOnly;
    glBindTexture(GL_TEXTURE_2D, f.texture);
    if (upload)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, f.width, f.height, GL_RGBA, GL_UNSIGNED_BYTE,
                        f.pixels.data());
    if (way == HandOverWay::kUploadOnly) {
    } else if (way != HandOverWay::kUploadAndQuad) {
        GLint drawn = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, f.frameBuffer);
        glBlitFramebuffer(0, 0, f.width, f.height, 0, 0, f.width, f.height, GL_COLOR_BUFFER_BIT,
                          GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(drawn));
    } else {
        glDisable(GL_ALPHA_TEST);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        float w = float(f.width), h = float(f.height);
        const float c[8] = {0, -h, w, -h, w, 0, 0, 0}, t[8] = {0, 0, 1, 0, 1, 1, 0, 1};
        glBegin(GL_TRIANGLE_FAN);
        for (int i = 0; i < 4; ++i) {
            glTexCoord2f(t[2 * i], t[2 * i + 1]);
            glVertex2f(c[2 * i], c[2 * i + 1]);
        }
        glEnd();
        RestoreRuntimeState();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

CpuFrame MakeCpuFrame(int width, int height) {
    CpuFrame f;
    f.width = width;
    f.height = height;
    f.pixels.assign(std::size_t(width) * height, 0);
    f.pictures.resize(8);
    for (const Picture& p : kPictures) {
        int tw = PowerOfTwo(p.width), th = PowerOfTwo(p.height);
        std::vector<uint8_t> rgba = PictureTexels(p, tw, th);
        std::vector<uint32_t>& out = f.pictures[std::size_t(p.slot)];
        out.resize(std::size_t(tw) * th);
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = uint32_t(rgba[4 * i]) | uint32_t(rgba[4 * i + 1]) << 8 |
                     uint32_t(rgba[4 * i + 2]) << 16 | uint32_t(rgba[4 * i + 3]) << 24;
    }
    glGenTextures(1, &f.texture);
    glBindTexture(GL_TEXTURE_2D, f.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    GLint drawn = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    glGenFramebuffers(1, &f.frameBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, f.frameBuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, f.texture, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(drawn));
    return f;
}

void LoadRuntimePictures() {
    for (const Picture& p : kPictures) {
        std::string path = WritePicture(p);
        LOADSPRITE(path.c_str(), p.slot);
        std::remove(path.c_str());
    }
}

void Print(const char* name, double ms) { std::printf("  %-62s %7.3f ms CPU/frame\n", name, ms); }
}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::max(5, std::atoi(argv[1])) : 300;
    if (!KvStartRuntimeForTests()) return 1;
    LoadRuntimePictures();
    std::vector<Quad> quads = LevelQuads();
    long pixels = 0;
    for (const Quad& q : quads) pixels += long(q.picture->width) * q.picture->height;
    std::printf("GL %s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    std::printf("level-like frame: %zu quads, %ld pixels, %d frames a variant; %s\n", quads.size(),
                pixels, frames, pRbow->Window()->RendererName().c_str());
    Print("flip only (clear + present)", CpuPerFrame([] {}, frames));
    Print("runtime SPRITE (its pages and shaders)",
          CpuPerFrame(
              [&] {
                  for (const Quad& q : quads) SPRITE(q.picture->slot, q.x, q.y);
              },
              frames));
    pRbow->FlushQuads();

    const Variant variants[] = {
        {"2D RGBA, fixed function, alpha test, nearest"},
        {"2D RGBA, fixed function, no alpha test, nearest", false, GL_NEAREST, false},
        {"2D BGRA, fixed function, alpha test, nearest", true},
        {"2D BGRA, fixed function, no alpha test, nearest", true, GL_NEAREST, false},
        {"2D BGRA, fixed function, no alpha test, REPLACE", true, GL_NEAREST, false, GL_REPLACE},
        {"2D BGRA, fixed function, no alpha test, linear", true, GL_LINEAR, false},
        {"2D BGRA, no alpha test, one call per quad", true, GL_NEAREST, false, GL_MODULATE, true},
        {"2D BGRA, premultiplied blend instead of alpha test", true, GL_NEAREST, false, GL_MODULATE,
         false, true},
        {"2D RGBA, premultiplied blend instead of alpha test", false, GL_NEAREST, false,
         GL_MODULATE, false, true},
        {"2D BGRA, no alpha test, REPLACE, clamp", true, GL_NEAREST, false, GL_REPLACE, false,
         false, false, true},
        {"2D BGRA, no alpha test, REPLACE, smooth", true, GL_NEAREST, false, GL_REPLACE, false,
         false, false, false, true},
        {"2D BGRA, no alpha test, REPLACE, clamp, smooth", true, GL_NEAREST, false, GL_REPLACE,
         false, false, false, true, true},
        {"2D BGRA, no alpha test, MODULATE, clamp, smooth", true, GL_NEAREST, false, GL_MODULATE,
         false, false, false, true, true},
        {"2D BGRA, alpha test, MODULATE, clamp, smooth", true, GL_NEAREST, true, GL_MODULATE, false,
         false, false, true, true},
        {"2D BGRA, premultiplied blend, MODULATE, clamp, smooth", true, GL_NEAREST, false,
         GL_MODULATE, false, true, false, true, true},
    };
    for (const Variant& v : variants) {
        GLuint names[8] = {};
        for (const Picture& p : kPictures)
            names[p.slot] = MakeTexture2D(p, v.bgra, v.filter, v.clamp);
        Print(v.name, CpuPerFrame([&] { DrawPlain(quads, names, v); }, frames));
        for (const Picture& p : kPictures) glDeleteTextures(1, &names[p.slot]);
    }

    GLuint discardProgram = CompileProgram(
        "#version 120\nuniform sampler2D picture;\nvoid main() { vec4 c = texture2D(picture, "
        "gl_TexCoord[0].st) * gl_Color; if (c.a <= 0.5) discard; gl_FragColor = c; }\n");
    GLuint plainProgram = CompileProgram(
        "#version 120\nuniform sampler2D picture;\nvoid main() { gl_FragColor = "
        "texture2D(picture, gl_TexCoord[0].st) * gl_Color; }\n");
    GLuint bareProgram = CompileProgram(
        "#version 120\nuniform sampler2D picture;\nvoid main() { gl_FragColor = "
        "texture2D(picture, gl_TexCoord[0].st); }\n");
    struct ShaderVariant {
        const char* name;
        GLuint program;
        bool bgra, blend;
    } shaderVariants[] = {
        {"2D RGBA, shader with discard", discardProgram, false, false},
        {"2D BGRA, shader with discard", discardProgram, true, false},
        {"2D BGRA, shader texel * colour, no discard", plainProgram, true, false},
        {"2D BGRA, shader texel alone, no discard", bareProgram, true, false},
        {"2D BGRA, shader texel alone, premultiplied blend", bareProgram, true, true},
    };
    for (const ShaderVariant& s : shaderVariants) {
        Variant v{s.name, s.bgra, GL_NEAREST, false, GL_MODULATE, false, s.blend};
        GLuint names[8] = {};
        for (const Picture& p : kPictures) names[p.slot] = MakeTexture2D(p, v.bgra, v.filter);
        Print(s.name, CpuPerFrame([&] { DrawWithProgram(quads, names, s.program, v); }, frames));
        for (const Picture& p : kPictures) glDeleteTextures(1, &names[p.slot]);
    }
    CpuFrame cpu = MakeCpuFrame(pRbow->Width(), pRbow->Height());
    {
        GLint window = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &window);
        const Variant inFbo[] = {
            {"into a frame texture: BGRA, no alpha test, REPLACE, clamp", true, GL_NEAREST, false,
             GL_REPLACE, false, false, false, true},
            {"into a frame texture: BGRA, alpha test, MODULATE, repeat", true, GL_NEAREST, true},
            {"into a frame texture: BGRA, no alpha test, MODULATE, clamp, smooth", true, GL_NEAREST,
             false, GL_MODULATE, false, false, false, true, true},
            {"into a frame texture: BGRA, premultiplied blend, MODULATE, clamp", true, GL_NEAREST,
             false, GL_MODULATE, false, true, false, true},
        };
        for (const Variant& v : inFbo) {
            GLuint names[8] = {};
            for (const Picture& p : kPictures)
                names[p.slot] = MakeTexture2D(p, v.bgra, v.filter, v.clamp);
            Print(v.name, CpuPerFrame(
                              [&] {
                                  glBindFramebuffer(GL_FRAMEBUFFER, cpu.frameBuffer);
                                  glClear(GL_COLOR_BUFFER_BIT);
                                  DrawPlain(quads, names, v);
                                  glBindFramebuffer(GL_FRAMEBUFFER, GLuint(window));
                              },
                              frames));
            for (const Picture& p : kPictures) glDeleteTextures(1, &names[p.slot]);
        }
    }
    Print("CPU composite alone (no GL)", CpuPerFrame([&] { Composite(cpu, quads); }, frames));
    const std::pair<const char*, HandOverWay> ways[] = {
        {"CPU composite + upload of the frame texture", HandOverWay::kUploadOnly},
        {"CPU composite + blit of the frame texture (no upload)", HandOverWay::kBlitOnly},
        {"CPU composite + upload + blit", HandOverWay::kUploadAndBlit},
        {"CPU composite + upload + full-screen quad", HandOverWay::kUploadAndQuad},
    };
    for (const auto& [name, way] : ways)
        Print(name, CpuPerFrame(
                        [&, way = way] {
                            Composite(cpu, quads);
                            HandOver(cpu, way);
                        },
                        frames));
    return 0;
}
