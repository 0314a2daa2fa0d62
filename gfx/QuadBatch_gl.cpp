// Drawing of queued sprite quads through client vertex arrays with a minimal
// shader (texel times colour, texels of alpha 0.5 or less discarded: what the
// fixed-function state of the 2D drawing computes), from the bound texture or an
// atlas page, and the single fan.
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
// The same for a layer of an atlas page: the layer is the third texture coordinate.
const char* const kPageFragmentShader =
    "#version 120\n"
    "#extension GL_EXT_texture_array : require\n"
    "uniform sampler2DArray picture;\n"
    "void main() {\n"
    "    vec4 colour = texture2DArray(picture, gl_TexCoord[0].stp) * gl_Color;\n"
    "    if (colour.a <= 0.5) discard;\n"
    "    gl_FragColor = colour;\n"
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

GLuint LinkProgram(const char* fragmentSource) {
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
            glUniform1i(glGetUniformLocation(program, "picture"), 0);
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
    static GLuint program = LinkProgram(kFragmentShader);
    return program;
}

GLuint PageProgram() {
    static GLuint program = LinkProgram(kPageFragmentShader);
    return program;
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

bool QuadBatch::PagesDrawable() { return PageProgram() != 0; }

void QuadBatch::Add(const float corners[8], const float texture[8]) { AddPaged(corners, texture, 0); }

void QuadBatch::AddPaged(const float corners[8], const float texture[8], int layer) {
    m_firsts.push_back(GLint(m_positions.size() / 2));
    m_counts.push_back(4);
    m_positions.insert(m_positions.end(), corners, corners + 8);
    for (int i = 0; i < 4; ++i) {
        const float stp[3] = {texture[2 * i], texture[2 * i + 1], float(layer)};
        m_texture.insert(m_texture.end(), stp, stp + 3);
    }
}

void QuadBatch::UsePage(unsigned int page, bool texelForPixel) {
    if (page == m_page && texelForPixel == m_texelForPixel) return;
    Flush();
    m_page = page;
    m_texelForPixel = texelForPixel;
}

void QuadBatch::Flush() {
    if (m_firsts.empty()) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, m_positions.data());
    glTexCoordPointer(3, GL_FLOAT, 0, m_texture.data());
    GLuint program = m_page ? PageProgram() : s_useShader ? SpriteProgram() : 0;
    if (m_page) glBindTexture(GL_TEXTURE_2D_ARRAY, m_page);
    if (program) glUseProgram(program);
    if (m_texelForPixel) glBindSampler(0, NearestSampler());
    glMultiDrawArrays(GL_TRIANGLE_FAN, m_firsts.data(), m_counts.data(), GLsizei(m_firsts.size()));
    if (m_texelForPixel) glBindSampler(0, 0);
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
