// OpenGLRainbows: the runtime's 2D graphics object. It binds to the game window,
// switches between full screen and window, and owns the drawing state. The game
// draws into an off-screen frame of the program's size, which the flip scales
// into the window.
#pragma once

#include <cstdint>

#include "gfx/GameWindow.h"

class OpenGLRainbows {
public:
    OpenGLRainbows();
    virtual ~OpenGLRainbows();

    bool Init(GameWindow* window, int width, int height, int colourDepth, unsigned short frameRate);
    bool DoFullscreen();
    bool DoWindowed();
    bool HideWindow();
    void SetDCPixelFormat();
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
    void SetMaxFPS(int fps);

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
    GameWindow* m_window = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_colourDepth = 0;
    bool m_fullscreen = false;
    bool m_initialised = false;
    bool m_pixelFormatChosen = false;
    int m_requestedColourDepth = 0;
    double m_nextFrameTime = 0;
    double m_frameInterval = 0;
    double m_counterFrequency = 0;
    int m_counterUsable = 0;
};

extern OpenGLRainbows* pRbow;
