// The shared-memory picture on the game window: one XImage in a segment that the
// X server maps too, reused while the picture keeps its size.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include "gfx/X11Errors_x11.h"
#include "gfx/X11SharedPicture.h"
#include "gfx/X11Window.h"

struct X11SharedPictureState {
    Display* display = nullptr;
    Window window = None;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    XShmSegmentInfo segment{};
    XImage* image = nullptr;
    bool putPending = false;  // the server may still read the segment
};

namespace {
// A picture larger than this many pixels (a 16384 x 8192 screen) is not shared: the
// frames then go through OpenGL.
constexpr long long kLargestPicture = 16384LL * 8192;

// The scaler writes blue, green, red, unused in memory order: the server's pixels
// must be that, 32 bits each in the host's byte order.
bool TakesScaledPixels(const Visual* visual, int depth) {
    return (depth == 24 || depth == 32) && visual->red_mask == 0xFF0000 &&
           visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
}

bool ImageTakesScaledPixels(const XImage* image) {
    constexpr int hostOrder = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? LSBFirst : MSBFirst;
    return image->bits_per_pixel == 32 && image->byte_order == hostOrder &&
           image->bytes_per_line % 4 == 0;
}
}  // namespace

std::unique_ptr<X11SharedPicture> X11SharedPicture::Create(SDL_Window* window) {
    Display* display = nullptr;
    unsigned long xwindow = None;
    if (!X11Handles(window, display, xwindow) || !XShmQueryExtension(display)) return nullptr;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, xwindow, &attributes) ||
        !TakesScaledPixels(attributes.visual, attributes.depth))
        return nullptr;
    std::unique_ptr<X11SharedPicture> picture(new X11SharedPicture());
    picture->m_state = std::make_unique<X11SharedPictureState>();
    X11SharedPictureState& s = *picture->m_state;
    s.display = display;
    s.window = xwindow;
    s.visual = attributes.visual;
    s.depth = attributes.depth;
    XGCValues black{};
    black.foreground = 0;
    black.graphics_exposures = False;
    s.gc = XCreateGC(display, xwindow, GCForeground | GCGraphicsExposures, &black);
    // A server across the network answers the extension but cannot map our memory.
    if (!picture->Allocate(1, 1)) return nullptr;
    return picture;
}

X11SharedPicture::~X11SharedPicture() {
    if (!m_state) return;
    Release();
    if (m_state->gc) XFreeGC(m_state->display, m_state->gc);
}

bool X11SharedPicture::Allocate(int width, int height) {
    Release();
    X11SharedPictureState& s = *m_state;
    s.image = XShmCreateImage(s.display, s.visual, unsigned(s.depth), ZPixmap, nullptr, &s.segment,
                              unsigned(width), unsigned(height));
    if (!s.image) return false;
    if (!ImageTakesScaledPixels(s.image)) {
        Release();
        return false;
    }
    s.segment.shmid =
        shmget(IPC_PRIVATE, std::size_t(s.image->bytes_per_line) * height, IPC_CREAT | 0600);
    void* memory =
        s.segment.shmid < 0 ? reinterpret_cast<void*>(-1) : shmat(s.segment.shmid, nullptr, 0);
    if (memory == reinterpret_cast<void*>(-1)) {
        if (s.segment.shmid >= 0) shmctl(s.segment.shmid, IPC_RMID, nullptr);
        s.segment.shmid = -1;
        Release();
        return false;
    }
    s.segment.shmaddr = s.image->data = static_cast<char*>(memory);
    s.segment.readOnly = True;
    X11ErrorsIgnored errors(s.display);
    bool attached = XShmAttach(s.display, &s.segment) && !errors.Seen();
    // Marked for removal now, the segment goes with its last user, a crash included.
    shmctl(s.segment.shmid, IPC_RMID, nullptr);
    if (!attached) s.segment.shmid = -1;  // nothing for the server to detach
    if (!attached) Release();
    return attached;
}

void X11SharedPicture::Release() {
    X11SharedPictureState& s = *m_state;
    if (!s.image) return;
    if (s.segment.shmid >= 0 && s.segment.shmaddr) {
        XShmDetach(s.display, &s.segment);
        XSync(s.display, False);
    }
    if (s.segment.shmaddr) shmdt(s.segment.shmaddr);
    s.segment = XShmSegmentInfo{};
    s.image->data = nullptr;  // the segment was not Xlib's to free
    XDestroyImage(s.image);
    s.image = nullptr;
    s.putPending = false;
}

PixelBlock X11SharedPicture::Picture(const WindowPlace& place) {
    X11SharedPictureState& s = *m_state;
    if (place.width <= 0 || place.height <= 0 ||
        (long long)place.width * place.height > kLargestPicture)
        return PixelBlock{};
    if (s.putPending) XSync(s.display, False);  // the server has read the last picture
    s.putPending = false;
    if ((!s.image || s.image->width != place.width || s.image->height != place.height) &&
        !Allocate(place.width, place.height))
        return PixelBlock{};
    return PixelBlock{reinterpret_cast<uint32_t*>(s.image->data), s.image->width, s.image->height,
                      s.image->bytes_per_line / 4};
}

void X11SharedPicture::Put(const WindowPlace& place) {
    X11SharedPictureState& s = *m_state;
    if (!s.image || s.image->width != place.width || s.image->height != place.height) return;
    if (!m_barsShown || !(m_barsPlace == place)) FillBars(place);
    XShmPutImage(s.display, s.window, s.gc, s.image, 0, 0, place.x, place.y, unsigned(place.width),
                 unsigned(place.height), False);
    XFlush(s.display);
    s.putPending = true;
}

// Above, below, left and right of the picture.
void X11SharedPicture::FillBars(const WindowPlace& p) {
    X11SharedPictureState& s = *m_state;
    const int bars[4][4] = {{0, 0, p.windowWidth, p.y},
                            {0, p.y + p.height, p.windowWidth, p.windowHeight - p.y - p.height},
                            {0, p.y, p.x, p.height},
                            {p.x + p.width, p.y, p.windowWidth - p.x - p.width, p.height}};
    for (const int* bar : bars)
        if (bar[2] > 0 && bar[3] > 0)
            XFillRectangle(s.display, s.window, s.gc, bar[0], bar[1], unsigned(bar[2]),
                           unsigned(bar[3]));
    m_barsPlace = p;
    m_barsShown = true;
}
