// The game window as the X server sees it, read through the connection SDL opened.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "gfx/X11Errors_x11.h"
#include "gfx/X11Window.h"

bool X11Handles(SDL_Window* window, Display*& display, unsigned long& xwindow) {
    if (!window) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    display = info.info.x11.display;
    xwindow = info.info.x11.window;
    return display && xwindow;
}

namespace {
// The window named by a root property that holds one window id, or None.
Window WindowProperty(Display* display, Window window, const char* name) {
    Atom property = XInternAtom(display, name, True);
    if (property == None) return None;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    Window result = None;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &left, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        result = *reinterpret_cast<Window*>(data);
    if (data) XFree(data);
    return result;
}

// The game window whose destruction is watched for; once it is gone every X error
// is taken as a consequence of that, up to the end of the program.
Display* g_watchedDisplay = nullptr;
Window g_watchedWindow = None;
bool g_watchedWindowGone = false;
int g_glxErrorBase = -1;
XErrorHandler g_previousErrorHandler = nullptr;

// BadWindow, BadDrawable and the GLX errors for a drawable or window that is gone.
bool MeansWindowGone(const XErrorEvent& error) {
    if (error.error_code == BadWindow || error.error_code == BadDrawable) return true;
    if (g_glxErrorBase < 0) return false;
    int glx = error.error_code - g_glxErrorBase;
    constexpr int kBadDrawable = 2, kBadCurrentWindow = 5, kBadCurrentDrawable = 11,
                  kBadWindow = 12;
    return glx == kBadDrawable || glx == kBadCurrentWindow || glx == kBadCurrentDrawable ||
           glx == kBadWindow;
}

int WatchedWindowErrors(Display* display, XErrorEvent* error) {
    if (error->resourceid == g_watchedWindow && MeansWindowGone(*error)) g_watchedWindowGone = true;
    if (g_watchedWindowGone) return 0;
    return g_previousErrorHandler ? g_previousErrorHandler(display, error) : 0;
}
}  // namespace

void X11WatchWindow(SDL_Window* window) {
    Display* display = nullptr;
    Window xwindow = None;
    if (!X11Handles(window, display, xwindow)) return;
    int opcode = 0, event = 0, error = 0;
    g_glxErrorBase = XQueryExtension(display, "GLX", &opcode, &event, &error) ? error : -1;
    g_watchedDisplay = display;
    g_watchedWindow = xwindow;
    g_watchedWindowGone = false;
    XErrorHandler previous = XSetErrorHandler(WatchedWindowErrors);
    if (previous != WatchedWindowErrors) g_previousErrorHandler = previous;
}

bool X11WindowGone() { return g_watchedWindowGone; }

void X11SettleWatchedWindow() {
    if (!g_watchedDisplay) return;
    if (g_watchedWindowGone) {
        XErrorHandler previous = XSetErrorHandler(WatchedWindowErrors);
        XSync(g_watchedDisplay, False);
        XSetErrorHandler(previous);
    }
    g_watchedDisplay = nullptr;
    g_watchedWindow = None;
}

unsigned long X11WindowId(SDL_Window* window) {
    Display* display = nullptr;
    Window xwindow = None;
    return X11Handles(window, display, xwindow) ? xwindow : 0;
}

bool X11WindowRect(SDL_Window* window, ScreenRect& rect) {
    Display* display = nullptr;
    Window xwindow = None;
    if (!X11WindowSize(window, rect.width, rect.height) || !X11Handles(window, display, xwindow))
        return false;
    // The position counted from the screen's corner, whatever frame a manager added.
    Window child = None;
    return XTranslateCoordinates(display, xwindow, DefaultRootWindow(display), 0, 0, &rect.x,
                                 &rect.y, &child);
}

bool X11WindowSize(SDL_Window* window, int& width, int& height) {
    Display* display = nullptr;
    Window xwindow = None;
    if (!X11Handles(window, display, xwindow)) return false;
    Window root = None;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    if (!XGetGeometry(display, xwindow, &root, &x, &y, &w, &h, &border, &depth)) return false;
    width = int(w);
    height = int(h);
    return true;
}

bool X11WindowManagerRuns(SDL_Window* window) {
    Display* display = nullptr;
    Window xwindow = None;
    if (!X11Handles(window, display, xwindow)) return false;
    // A running manager names its check window on the root and on that window itself;
    // the check window of a manager that died is gone, which is no error of ours.
    X11ErrorsIgnored ignored(display);
    Window check = WindowProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK");
    return check != None && WindowProperty(display, check, "_NET_SUPPORTING_WM_CHECK") == check;
}

void X11UseBlackBackground(SDL_Window* window) {
    Display* display = nullptr;
    Window xwindow = None;
    if (!X11Handles(window, display, xwindow)) return;
    XSetWindowBackground(display, xwindow, BlackPixel(display, DefaultScreen(display)));
    XFlush(display);
}
