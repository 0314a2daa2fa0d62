// OpenGLRainbows: the runtime's 2D graphics object. It binds to the game window,
// switches between full screen and window, and owns the drawing state. The game
// draws into an off-screen frame of the program's size, which the flip scales
// into the window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/AtlasPages.h"
#include "gfx/FramePacer.h"
#include "gfx/GameWindow.h"
#include "gfx/QuadBatch.h"
#include "maths/MaskOverlap.h"

struct TexelImage;

// Sprite slots 0 to 4094; fonts live in the last 16 of them.
constexpr int kSpriteSlots = 4095;
constexpr int kFontSlotBase = 4079;
constexpr int kFontCount = 16;
constexpr int kSurfaceCount = 15;
constexpr int kSurfaceTiles = 64;  // tile columns and rows of a surface at most

// The effect record of DrawSpriteFX.
struct OPENGL_SPRITEFX {
    float angle = 0;      // degrees, counter-clockwise on screen
    int16_t width = 0;    // drawn width; below 1 means the picture width
    int16_t height = 0;   // drawn height; below 1 means the picture height
    uint32_t colour = 0;  // tint 0x00BBGGRR; 0 means white
};

// A background picture kept as a grid of tile textures.
struct RainbowSurface {
    uint32_t tileNames[kSurfaceTiles][kSurfaceTiles];
    int16_t tileWidths[kSurfaceTiles][kSurfaceTiles];
    int16_t tileHeights[kSurfaceTiles][kSurfaceTiles];
    int8_t columnCount;
    int8_t rowCount;  // negated for a surface taken from the screen
};


class OpenGLRainbows {
  public:
    OpenGLRainbows();
    virtual ~OpenGLRainbows();

    bool Init(GameWindow* window, int width, int height, int colourDepth, unsigned short frameRate);
    bool DoFullscreen();
    bool DoWindowed();
    bool HideWindow();
    void SetDCPixelFormat();
    // The warning about a software renderer that SetDCPixelFormat found due, shown
    // once the window is in its first display mode (nothing when none is due).
    void ShowSoftwareWarning();
    void Make2DViewport();
    void Make3DViewport(double nearPlane, double farPlane, double fieldOfView);
    void ResizeAuto();
    void ChangeSize(int width, int height);
    // Dispatches pending window messages; a close request ends the program.
    bool WinMessages();
    bool IsActive() const { return m_initialised; }
    void FreeAll();

    // Frame flip and timing.
    void ClearFrame();
    double FlipScreens();
    void SetupAccurateTimer();
    double Now() const;
    double AccurateTime() const { return Now(); }
    void SetMaxFPS(int fps);
    double FrameInterval() const { return m_frameInterval; }
    double NextFrameTime() const { return m_nextFrameTime; }
    // The frame grid starts now: the next flip does not wait.
    void StartFrameGrid() { m_nextFrameTime = Now(); }
    // Forgets the wake-ups measured so far, as at start-up.
    void ForgetWakeUps() { m_pacer = FramePacer(); }
    // The wait for the frame grid: its margins and, where the clock measures it, its CPU time.
    const FramePacer& Pacer() const { return m_pacer; }
    // Replaces the time source (null members: the platform clock and sleep).
    static void SetFrameClock(const FrameClock& clock);
    static FrameClock DefaultFrameClock();

    // Blending and primitives.
    void DoAlpha(float intensity);
    void DrawPixel(short x, short y, unsigned long colour);
    void DrawLine(short x1, short y1, short x2, short y2, unsigned long colour);
    void DrawRect(short x1, short y1, short x2, short y2, unsigned long colour);
    void StartPoly(int slot);
    void PolyPoint(short x, short y, float s, float t, unsigned long colour);
    void EndPoly();
    // Sets the current colour (and remembers it for the quad queue).
    void SetColour(float r, float g, float b, float a);
    void SetBlending(bool on);
    // Opaque drawing in white at full intensity: blending off, alpha factor 1.
    void OpaqueWhiteDrawing();

    // Sprites.
    static void GetBMPSize(const char* path, int& width, int& height);
    bool MakeBMPTexture(const char* path, int x, int y, int width, int height,
                        unsigned int* plainName, unsigned int* mipmappedName, unsigned long key,
                        bool useKey, bool normalMap);
    bool LoadSprite(unsigned int slot, const char* path, unsigned long key, bool normalMap);
    void FreeSprite(int slot);
    void SetTexture3D(int slot, int second, int variant);
    void DrawSprite(short slot, short x, short y);
    void StretchSprite(short slot, short x, short y, short width, short height);
    void RotoSprite(short slot, short x, short y, short angle);
    void DrawSpriteFX(short slot, short x, short y, const OPENGL_SPRITEFX& fx);
    void GetSpriteSize(short slot, int& width, int& height) const;
    bool GrabSprite(short slot, short x, short y, short width, short height);
    bool SpriteCollision(int slotA, int slotB, short ax, short ay, short bx, short by);
    int16_t TextureWidth(int slot) const { return ValidSlot(slot) ? m_textureWidth[slot] : -1; }
    int16_t TextureHeight(int slot) const { return ValidSlot(slot) ? m_textureHeight[slot] : -1; }
    unsigned int TextureName(int slot, int variant) const {
        return ValidSlot(slot) ? m_textureNames[slot][variant ? 1 : 0] : 0;
    }
    static bool ValidSlot(int slot) { return slot >= 0 && slot < kSpriteSlots; }

    // Fonts.
    bool LoadFont(unsigned int font, const char* path);
    void DrawTextA(short font, const char* text, short x, short y);
    void GetFontSize(short font, int& width, int& height) const;

    // Surfaces and the screen snapshot.
    bool LoadSurface(unsigned int surface, const char* path, bool unused = false);
    void GrabSurface(int surface);
    void PasteSurface(unsigned int surface);
    void BlendToSurface(int from, int to);
    void FreeSurface(int surface);
    bool SaveBMPFile(const char* path);
    // The screenshot of the frame shown last (kept by the flip when it was asked for).
    bool WriteShownFrame(const std::string& path);
    const RainbowSurface* Surface(int surface) const;

    // Queued sprite quads are drawn before anything that changes the drawing state
    // or reads pixels. With batching off every sprite is its own fan from its own
    // texture, and quads outside the drawing area are sent all the same (the plain
    // path that the fast one is compared with).
    void FlushQuads();
    void SetBatching(bool on) {
        FlushQuads();
        m_batching = on;
    }
    bool Batching() const { return m_batching; }
    // Where a sprite's picture is held on an atlas page, from which its texel-for-pixel
    // quads are drawn when batching (texture 0: it has only its own texture).
    AtlasPages::Cell PageOf(int slot) const {
        return ValidSlot(slot) ? m_pages.CellOf(m_pagePlace[slot]) : AtlasPages::Cell{};
    }
    // Reads the drawn frame as RGB bytes, bottom row first (for snapshots and tests).
    void ReadFrame(int x, int y, int width, int height, std::vector<uint8_t>& rgb);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int ColourDepth() const { return m_colourDepth; }
    bool IsFullscreen() const { return m_fullscreen; }
    GameWindow* Window() const { return m_window; }

    float alphaFactor = 1.0f;
    int32_t boundSlot = -1;
    int32_t boundSecondSlot = -1;
    int32_t boundVariant = 0;

  protected:
    // Full screen or window for the window alone (F11 switches these).
    bool WindowToFullscreen();
    void WindowToWindowed();
    // Marks a texture unit whose bound texture is not known.
    static constexpr unsigned int kUnknownTexture = ~0u;
    // Texture uploads read tightly packed rows; the bound texture repeats and filters
    // linearly (mipmapped when asked).
    static void SetUnpackSettings();
    static void SetTextureParameters(bool mipmapped);
    // The largest texture side the driver takes (at most kMaxTextureSide).
    static int MaxTextureSize();
    void ResetSlotTables();
    // Texture coordinates of the picture's bottom-left, bottom-right, top-right and
    // top-left corners in the slot's power-of-two texture.
    void PictureTextureCorners(int slot, float texture[8]) const;
    void DrawQuad(int slot, const float corners[8]);
    // Queues a quad in OpenGL coordinates from the slot's page or bound texture;
    // nothing when it lies wholly outside the drawing area.
    void QueueQuad(int slot, const float corners[8], const float texture[8]);
    // Whether a quad in OpenGL coordinates (y downward negative) covers no pixel of
    // the 2D drawing area; margin widens the area for corners that OpenGL turns itself.
    bool OutsideDrawingArea(const float corners[8], float margin) const;
    bool TurnedQuadOutside(const float corners[8], float centreX, float centreY,
                           float angle) const;
    bool TexelForPixel(int slot, const float corners[8], const float texture[8]) const;
    void DrawRotatedQuad(int slot, float centreX, float centreY, float angle, float hw, float hh);
    // Selects a sprite's own texture for drawing from it (made from its page layer
    // when it has none yet); false when the slot has no picture.
    bool SelectSpriteTexture(int slot);
    // The same for quads that may be queued from the sprite's page: while batching,
    // a picture on a page is selected without binding anything (a quad that needs its
    // own texture binds it when queued).
    bool SelectSpriteForQuads(int slot);
    void RecordSelection(int slot);
    bool HasPicture(int slot) const {
        return ValidSlot(slot) && (m_textureNames[slot][0] || m_pagePlace[slot].OnPage());
    }
    bool OnPage(int slot) const { return ValidSlot(slot) && m_pagePlace[slot].OnPage(); }
    void PageTextureCorners(int slot, const AtlasPages::Cell& cell, const float texture[8],
                            float onPage[8]) const;
    bool PlainCopy(int slot) const;
    static bool AlphaOnlyNoneOrFull(const TexelImage& texels);
    bool ReadPictureTexels(const char* path, int x, int y, int width, int height, unsigned long key,
                           bool useKey, bool normalMap, TexelImage& texels);
    bool UploadPlainTexture(const TexelImage& texels, unsigned int* name);
    bool UploadMipmappedTexture(std::vector<uint8_t> rgba, int width, int height,
                                unsigned int* name);
    bool HoldPicture(int slot, const TexelImage& texels);
    bool ReadPlainTexels(int slot, std::vector<uint8_t>& rgba);
    bool MakeOwnTexture(int slot);
    bool MakeMipmappedTexture(int slot);
    void SetTextureUnit(int unit, bool enabled, unsigned int name);
    // The textures an untextured primitive unbinds, bound again after it.
    struct BoundTextures {
        int slot, second, variant;
    };
    BoundTextures BeginPrimitive(unsigned long colour);
    void EndPrimitive(const BoundTextures& bound);
    void RestoreTextures(const BoundTextures& bound);
    bool UploadMipmaps(std::vector<uint8_t> texels, int width, int height);
    void StartTextureUpload(unsigned int* name, bool mipmapped);
    static void ClearTextureErrors();
    static bool TextureUploadFailed();
    // Deletes a texture name (0: none) and forgets it where a texture unit holds it.
    void DeleteTexture(unsigned int& name);
    bool MakeCollisionMask(int slot);
    SpriteMask CollisionMaskOf(int slot) const;
    void KeepFrameForScreenshot();
    // Snapshots cover the frame rounded up to whole groups of four pixels.
    void ReadSnapshot(std::vector<uint8_t>& rgb);
    bool WriteSnapshot(const std::string& path, const std::vector<uint8_t>& rgb) const;
    void WaitForFrameSlot();

    GameWindow* m_window = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_colourDepth = 0;
    bool m_fullscreen = false;
    bool m_initialised = false;
    bool m_softwareWarningDue = false;
    double m_nextFrameTime = 0;
    FramePacer m_pacer;
    double m_frameInterval = 0;
    double m_counterFrequency = 0;
    int m_counterUsable = 0;

    // Sprite slot tables.
    int16_t m_textureWidth[kSpriteSlots];
    int16_t m_textureHeight[kSpriteSlots];
    int16_t m_pictureWidth[kSpriteSlots];
    int16_t m_pictureHeight[kSpriteSlots];
    std::unique_ptr<uint8_t[]> m_collisionMask[kSpriteSlots];
    // Plain and mipmapped texture of each slot; 0 until a path asks for it where the
    // picture is held on a page (a loaded picture's mipmaps are made on first use).
    unsigned int m_textureNames[kSpriteSlots][2];
    bool m_mipmapsOnDemand[kSpriteSlots];
    // Whether every texel's alpha is 0 or 255 (what the alpha test decides alike in
    // bytes and in floats).
    bool m_binaryAlpha[kSpriteSlots];

    std::unique_ptr<RainbowSurface[]> m_surfaces;

    // What is selected in the GL texture units, so repeated selections cost nothing.
    unsigned int m_unitTexture[2] = {0, 0};
    int m_unitEnabled[2] = {-1, -1};  // -1: not known

    QuadBatch m_quads;
    bool m_batching = true;
    // The pictures again on atlas pages, and where each slot's picture is there.
    AtlasPages m_pages;
    AtlasPages::Place m_pagePlace[kSpriteSlots];
    // True while the 2D projection is set: only then is the drawing area known.
    bool m_projection2D = false;
    float m_colour[4] = {1, 1, 1, 1};

    // The polygon being built between StartPoly and EndPoly.
    std::vector<float> m_polyVertices;  // x, y, s, t, r, g, b per vertex

    // The last shown frame, kept when a screenshot of it was asked for.
    std::vector<uint8_t> m_shownFrame;
    long m_shownFrameNumber = -1;
};

extern int g_nTexture;
