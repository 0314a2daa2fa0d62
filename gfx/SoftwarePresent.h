// The present for renderers that draw in software: the finished frame is read back
// once, scaled on the processor and put on the window through shared memory, so the
// renderer neither scales, nor clears, nor swaps a window-sized buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/FrameScaler.h"
#include "gfx/X11SharedPicture.h"

class SoftwarePresent {
  public:
    // Null where the window cannot take pictures this way (see X11SharedPicture).
    static std::unique_ptr<SoftwarePresent> Create(SDL_Window* window);

    // Shows the frame of frameWidth x frameHeight that drawing went to, scaled to the
    // place (filtered or to the nearest texel); false when it could not.
    bool Show(int frameWidth, int frameHeight, const WindowPlace& place, bool filtered);
    void RepaintBars() { m_picture->RepaintBars(); }

  private:
    explicit SoftwarePresent(std::unique_ptr<X11SharedPicture> picture)
        : m_picture(std::move(picture)) {}

    std::unique_ptr<X11SharedPicture> m_picture;
    std::vector<uint32_t> m_frame;
    FrameScaler m_scaler;
};
