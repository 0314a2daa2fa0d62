// Drawing of queued sprite quads through client vertex arrays with a minimal
// shader (texel times colour, texels of alpha 0.5 or less discarded: what the
// fixed-function state of the 2D drawing computes), from the bound texture or an
// atlas page (there also the texel alone where that is the same), and the single fan.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include "gfx/QuadBatch.h"

namespace {

const char* const kVertexShader =
    "#version 120\n"
    "void main() {\n"
    "    gl_Position = ftransform();\n"
    "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "    gl_FrontColor = gl_Color;\n"
    "}\n";
const char* const kFragmentShader =
    "#version 120\n"
    "uniform sampler2D picture;\n"
    "void main() {\n"
    "    vec4 colour = texture2D(picture, gl_TexCoord[0].st) * gl_Color;\n"
    "    if (colour.a <= 0.5) discard;\n"
    "    gl_FragColor = colour;\n"
    "}\n";
// A page's texture waits on a unit of its own, so that drawing from it leaves the
// units the runtime binds untouched.
constexpr int kPageUnit = 2;
// The texel alone, for white quads of pictures whose alpha is only 0 or 255, drawn
// with the alpha test on and blending off: the alpha test keys out what the discard
// would (at 0 and 255 it agrees with it whether the software renderer compares in
// bytes or in floats), and a shader without a discard or a colour is one that a
// software renderer can run on its fast path for rectangles, copying texel rows.
const char* const kCopyFragmentShader =
    "#version 120\n"
    "uniform sampler2D picture;\n"
    "void main() {\n"
    "    gl_FragColor = texture2D(picture, gl_TexCoord[0].st);\n"
    "}\n";

GLuint CompileShader(GLenum kind, const char* source) {
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    glDeleteShader(shader);
    return 0;
}

GLuint LinkProgram(const char* fragmentSource, int unit) {
    GLuint vertex = CompileShader(GL_VERTEX_SHADER, kVertexShader);
    GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, fragmentSource);
    GLuint program = 0;
    if (vertex && fragment) {
        program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (ok != GL_TRUE) {
            glDeleteProgram(program);
            program = 0;
        } else {
            glUseProgram(program);
            glUniform1i(glGetUniformLocation(program, "picture"), unit);
            glUseProgram(0);
        }
    }
    if (vertex) glDeleteShader(vertex);
    if (fragment) glDeleteShader(fragment);
    return program;
}

// The sprite programs, made on first use; 0 when the driver has none (the
// fixed-function state then draws the same picture, only slower, and there are no
// atlas pages).
GLuint SpriteProgram() {
    static GLuint program = LinkProgram(kFragmentShader, 0);
    return program;
}

GLuint PageProgram() {
    static GLuint program = LinkProgram(kFragmentShader, kPageUnit);
    return program;
}

GLuint CopyProgram() {
    static GLuint program = LinkProgram(kCopyFragmentShader, kPageUnit);
    return program;
}

// A plain copy needs the state it was chosen for; otherwise the page shader draws it.
GLuint PageProgramFor(QuadKind kind) {
    bool copy = kind == QuadKind::kPlainCopy && !glIsEnabled(GL_BLEND) &&
                glIsEnabled(GL_ALPHA_TEST);
    return copy ? CopyProgram() : PageProgram();
}

// Nearest texels, repeating as the textures do.
GLuint NearestSampler() {
    static GLuint sampler = [] {
        GLuint made = 0;
        glGenSamplers(1, &made);
        glSamplerParameteri(made, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glSamplerParameteri(made, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glSamplerParameteri(made, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glSamplerParameteri(made, GL_TEXTURE_WRAP_T, GL_REPEAT);
        return made;
    }();
    return sampler;
}
}  // namespace

bool QuadBatch::s_useShader = true;

bool QuadBatch::PagesDrawable() { return PageProgram() != 0 && CopyProgram() != 0; }

void QuadBatch::Add(const float corners[8], const float texture[8]) {
    m_firsts.push_back(GLint(m_positions.size() / 2));
    m_counts.push_back(4);
    m_positions.insert(m_positions.end(), corners, corners + 8);
    m_texture.insert(m_texture.end(), texture, texture + 8);
}

void QuadBatch::UsePage(unsigned int page, QuadKind kind) {
    if (page == m_page && kind == m_kind) return;
    Flush();
    m_page = page;
    m_kind = kind;
}

void QuadBatch::Flush() {
    if (m_firsts.empty()) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, m_positions.data());
    glTexCoordPointer(2, GL_FLOAT, 0, m_texture.data());
    GLuint program = m_page ? PageProgramFor(m_kind) : s_useShader ? SpriteProgram() : 0;
    if (m_page) {
        glActiveTexture(GL_TEXTURE0 + kPageUnit);
        glBindTexture(GL_TEXTURE_2D, m_page);
        glActiveTexture(GL_TEXTURE0);
    }
    if (program) glUseProgram(program);
    bool nearest = !m_page && m_kind == QuadKind::kTexelForPixel;
    if (nearest) glBindSampler(0, NearestSampler());
    glMultiDrawArrays(GL_TRIANGLE_FAN, m_firsts.data(), m_counts.data(), GLsizei(m_firsts.size()));
    if (nearest) glBindSampler(0, 0);
    if (program) glUseProgram(0);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    m_positions.clear();
    m_texture.clear();
    m_firsts.clear();
    m_counts.clear();
}

void QuadBatch::DrawFan(const float corners[8], const float texture[8]) {
    glBegin(GL_TRIANGLE_FAN);
    SendCorners(corners, texture);
    glEnd();
}

void QuadBatch::SendCorners(const float corners[8], const float texture[8]) {
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(texture[2 * i], texture[2 * i + 1]);
        glVertex2f(corners[2 * i], corners[2 * i + 1]);
    }
}
