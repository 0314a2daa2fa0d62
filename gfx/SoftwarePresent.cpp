// The software present: read back, scale, put.
#include "gfx/SoftwarePresent.h"

#include "gfx/FramePresent.h"

std::unique_ptr<SoftwarePresent> SoftwarePresent::Create(SDL_Window* window) {
    std::unique_ptr<X11SharedPicture> picture = X11SharedPicture::Create(window);
    if (!picture) return nullptr;
    return std::unique_ptr<SoftwarePresent>(new SoftwarePresent(std::move(picture)));
}

bool SoftwarePresent::Show(int frameWidth, int frameHeight, const WindowPlace& place,
                           bool filtered) {
    if (frameWidth <= 0 || frameHeight <= 0) return false;
    PixelBlock target = m_picture->Picture(place);
    if (!target.pixels) return false;
    m_frame.resize(std::size_t(frameWidth) * frameHeight);
    ReadDrawnFrame(frameWidth, frameHeight, m_frame.data());
    m_scaler.Scale(PixelBlock{m_frame.data(), frameWidth, frameHeight, frameWidth}, target,
                   filtered);
    m_picture->Put(place);
    return true;
}
