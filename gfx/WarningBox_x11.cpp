// The warning box on X11: a small dialog drawn with the server's core fonts on a
// connection of its own. It gives itself the keyboard focus (a bare server has no
// manager to hand it over) and closes on Return, keypad Enter, Space, Escape, a click
// on OK or the manager's close button. Its tick box ("do not show this again") is
// ticked by a click on it or by the D key.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <vector>

#include "gfx/X11Errors_x11.h"
#include "gfx/X11Window.h"
#include "runtime/Signals.h"

namespace {
constexpr int kPadding = 14;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 28;
constexpr int kMinimumWidth = 240;
// A manager draws the title in a font of its own, often wider than the box's, beside
// an icon and buttons: the box leaves room for both so the title is never cut.
constexpr int kTitleFontWidthPercent = 150;
constexpr int kTitleBarControls = 120;
constexpr const char* kTickText = "Do not show this again (D)";
// Unicode fonts first; the fixed font of every server holds at least Latin-1.
constexpr const char* kFontPatterns[] = {"-*-fixed-medium-r-normal--13-*-*-*-*-*-iso10646-1",
                                         "-*-*-medium-r-normal--*-120-*-*-*-*-iso10646-1",
                                         "fixed"};

struct WarningBox {
    Display* display = nullptr;
    Window window = None;
    Window owner = None;
    XFontStruct* font = nullptr;
    GC gc = nullptr;
    Atom closeMessage = None;
    std::vector<std::vector<XChar2b>> lines;
    std::vector<XChar2b> title;
    int lineHeight = 0;
    int ascent = 0;
    ScreenRect place;
    ScreenRect button;  // inside the box
    bool focused = false;
    bool hasTickBox = false;
    bool ticked = false;
    std::vector<XChar2b> tickText;
    ScreenRect tickRow;  // the tick box and its text, inside the box
};

// The next character of UTF-8 text; a broken sequence gives '?' and moves one byte.
unsigned NextCharacter(const unsigned char*& c) {
    unsigned lead = *c++;
    if (lead < 0x80) return lead;
    if (lead < 0xC0 || lead >= 0xF8) return '?';
    int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    unsigned code = lead & (0x3Fu >> more);
    for (int i = 0; i < more; ++i, ++c) {
        if ((*c & 0xC0) != 0x80) return '?';
        code = (code << 6) | (*c & 0x3F);
    }
    return code;
}

// The text's lines as the two-byte characters of the core font calls. Characters
// beyond the font's range are shown as '?'.
std::vector<std::vector<XChar2b>> SplitLines(const char* text, const XFontStruct& font) {
    unsigned last = font.max_byte1 == 0 ? font.max_char_or_byte2 : (font.max_byte1 << 8) | 0xFF;
    std::vector<std::vector<XChar2b>> lines(1);
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c;) {
        unsigned code = NextCharacter(c);
        if (code == '\n') {
            lines.emplace_back();
            continue;
        }
        if (code > last || code > 0xFFFF) code = '?';
        lines.back().push_back(XChar2b{static_cast<unsigned char>(code >> 8),
                                       static_cast<unsigned char>(code & 0xFF)});
    }
    return lines;
}

XFontStruct* LoadFont(Display* display) {
    for (const char* pattern : kFontPatterns)
        if (XFontStruct* font = XLoadQueryFont(display, pattern)) return font;
    return nullptr;
}

int TextWidth(XFontStruct* font, const std::vector<XChar2b>& text) {
    return XTextWidth16(font, text.data(), int(text.size()));
}

// The box's size from its text, centred over the owner's rectangle (or the screen)
// and kept on the screen.
void LayOut(WarningBox& box, const ScreenRect& over, const ScreenRect& screen) {
    box.lineHeight = std::max(1, box.font->ascent + box.font->descent);
    box.ascent = box.font->ascent;
    int textWidth = 0;
    for (const auto& line : box.lines) textWidth = std::max(textWidth, TextWidth(box.font, line));
    int titleWidth = TextWidth(box.font, box.title) * kTitleFontWidthPercent / 100;
    int width = std::max({kMinimumWidth, textWidth + 2 * kPadding, titleWidth + kTitleBarControls});
    int tickHeight = box.hasTickBox ? box.lineHeight + kPadding : 0;
    if (box.hasTickBox)
        textWidth = std::max(textWidth, box.lineHeight + 6 + TextWidth(box.font, box.tickText));
    int textHeight = box.lineHeight * int(box.lines.size());
    int height = kPadding + textHeight + kPadding + tickHeight + kButtonHeight + kPadding;
    int x = over.x + (over.width - width) / 2;
    int y = over.y + (over.height - height) / 2;
    x = std::max(screen.x, std::min(x, screen.x + screen.width - width));
    y = std::max(screen.y, std::min(y, screen.y + screen.height - height));
    box.place = ScreenRect{x, y, width, height};
    box.button = ScreenRect{(width - kButtonWidth) / 2, height - kPadding - kButtonHeight,
                            kButtonWidth, kButtonHeight};
    box.tickRow = ScreenRect{kPadding, kPadding + textHeight + kPadding, width - 2 * kPadding,
                             box.hasTickBox ? box.lineHeight : 0};
}

void SetWindowType(Display* display, Window window, const char* typeName) {
    Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    Atom value = XInternAtom(display, typeName, False);
    XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
}

// A fixed-size dialog at its place, a transient of the owner so that managers keep
// it above the game window.
void CreateBoxWindow(WarningBox& box, const char* title) {
    Display* display = box.display;
    int screen = DefaultScreen(display);
    box.window = XCreateSimpleWindow(display, RootWindow(display, screen), box.place.x,
                                     box.place.y, unsigned(box.place.width),
                                     unsigned(box.place.height), 1, BlackPixel(display, screen),
                                     WhitePixel(display, screen));
    XSizeHints* size = XAllocSizeHints();
    size->flags = USPosition | PPosition | PMinSize | PMaxSize;
    size->x = box.place.x;
    size->y = box.place.y;
    size->min_width = size->max_width = box.place.width;
    size->min_height = size->max_height = box.place.height;
    XWMHints* hints = XAllocWMHints();
    hints->flags = InputHint;
    hints->input = True;
    Xutf8SetWMProperties(display, box.window, title, title, nullptr, 0, size, hints, nullptr);
    XFree(size);
    XFree(hints);
    if (box.owner != None) XSetTransientForHint(display, box.window, box.owner);
    SetWindowType(display, box.window, "_NET_WM_WINDOW_TYPE_DIALOG");
    box.closeMessage = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, box.window, &box.closeMessage, 1);
    XSelectInput(display, box.window,
                 ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                     ButtonReleaseMask | StructureNotifyMask);
    box.gc = XCreateGC(display, box.window, 0, nullptr);
    XSetForeground(display, box.gc, BlackPixel(display, screen));
    XSetFont(display, box.gc, box.font->fid);
}

// The square with a cross when ticked, and its text beside it.
void DrawTickBox(const WarningBox& box) {
    Display* display = box.display;
    const ScreenRect& row = box.tickRow;
    int side = std::max(3, row.height - 2);
    XDrawRectangle(display, box.window, box.gc, row.x, row.y + 1, unsigned(side), unsigned(side));
    if (box.ticked) {
        XDrawLine(display, box.window, box.gc, row.x + 2, row.y + 3, row.x + side - 2, row.y + side - 1);
        XDrawLine(display, box.window, box.gc, row.x + 2, row.y + side - 1, row.x + side - 2, row.y + 3);
    }
    XDrawString16(display, box.window, box.gc, row.x + side + 6, row.y + box.ascent,
                  box.tickText.data(), int(box.tickText.size()));
}

void Draw(const WarningBox& box) {
    Display* display = box.display;
    XClearWindow(display, box.window);
    int y = kPadding + box.ascent;
    for (const auto& line : box.lines) {
        XDrawString16(display, box.window, box.gc, kPadding, y, line.data(), int(line.size()));
        y += box.lineHeight;
    }
    const ScreenRect& b = box.button;
    // The doubled frame marks OK as the button the keys press.
    XDrawRectangle(display, box.window, box.gc, b.x, b.y, unsigned(b.width - 1),
                   unsigned(b.height - 1));
    XDrawRectangle(display, box.window, box.gc, b.x + 2, b.y + 2, unsigned(b.width - 5),
                   unsigned(b.height - 5));
    const std::vector<XChar2b> ok = {{0, 'O'}, {0, 'K'}};
    int textX = b.x + (b.width - TextWidth(box.font, ok)) / 2;
    int textY = b.y + (b.height - box.lineHeight) / 2 + box.ascent;
    XDrawString16(display, box.window, box.gc, textX, textY, ok.data(), int(ok.size()));
    if (box.hasTickBox) DrawTickBox(box);
}

// Gives the window the keyboard when it can be seen.
void FocusIfViewable(Display* display, Window window) {
    if (window == None) return;
    X11ErrorsIgnored ignored(display);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
}

bool IsCloseKey(KeySym key) {
    return key == XK_Return || key == XK_KP_Enter || key == XK_space || key == XK_Escape;
}

bool Inside(const ScreenRect& r, int x, int y) {
    return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

bool InButton(const WarningBox& box, int x, int y) { return Inside(box.button, x, y); }

void Toggle(WarningBox& box) {
    box.ticked = !box.ticked;
    Draw(box);
}

// The box's next event; false once a quit signal has come (the terminal closed, Ctrl+C,
// a kill): the box then closes and the game's next frame ends it through the shutdown.
bool NextEvent(Display* display, XEvent& event) {
    constexpr int kSignalCheckMilliseconds = 100;
    while (!KvQuitSignalled()) {
        if (XPending(display)) {
            XNextEvent(display, &event);
            return true;
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, kSignalCheckMilliseconds);
    }
    return false;
}

// Runs until the box is answered or a quit signal comes. A key counts on its release
// after its press in the box, so a key still held from before the box does not close it.
void RunBox(WarningBox& box) {
    KeySym pressedKey = NoSymbol;
    bool buttonPressed = false;
    for (;;) {
        XEvent event;
        if (!NextEvent(box.display, event)) return;
        switch (event.type) {
            case Expose:
                if (event.xexpose.count == 0) Draw(box);
                if (!box.focused) FocusIfViewable(box.display, box.window);
                box.focused = true;
                break;
            case KeyPress:
                pressedKey = XLookupKeysym(&event.xkey, 0);
                if (pressedKey == XK_d && box.hasTickBox) Toggle(box);
                break;
            case KeyRelease:
                if (XLookupKeysym(&event.xkey, 0) == pressedKey && IsCloseKey(pressedKey)) return;
                break;
            case ButtonPress:
                buttonPressed = event.xbutton.button == Button1 &&
                                InButton(box, event.xbutton.x, event.xbutton.y);
                if (event.xbutton.button == Button1 && box.hasTickBox &&
                    Inside(box.tickRow, event.xbutton.x, event.xbutton.y))
                    Toggle(box);
                break;
            case ButtonRelease:
                if (buttonPressed && InButton(box, event.xbutton.x, event.xbutton.y)) return;
                buttonPressed = false;
                break;
            case ClientMessage:
                if (Atom(event.xclient.data.l[0]) == box.closeMessage) return;
                break;
            default:
                break;
        }
    }
}

ScreenRect ScreenOf(Display* display) {
    int screen = DefaultScreen(display);
    return ScreenRect{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

void Release(WarningBox& box) {
    if (box.gc) XFreeGC(box.display, box.gc);
    if (box.window != None) XDestroyWindow(box.display, box.window);
    if (box.font) XFreeFont(box.display, box.font);
    XCloseDisplay(box.display);
}
}  // namespace

bool X11ShowWarningBox(SDL_Window* owner, const char* title, const char* text, bool* tickedOff) {
    WarningBox box;
    box.hasTickBox = tickedOff != nullptr;
    box.owner = owner ? X11WindowId(owner) : None;
    if (owner && box.owner == None) return false;  // another video driver
    box.display = XOpenDisplay(nullptr);
    if (!box.display) return false;
    box.font = LoadFont(box.display);
    if (!box.font) {
        Release(box);
        return false;
    }
    box.lines = SplitLines(text, *box.font);
    box.tickText = SplitLines(kTickText, *box.font).front();
    box.title = SplitLines(title, *box.font).front();
    ScreenRect screen = ScreenOf(box.display), over = screen;
    if (owner) X11WindowRect(owner, over);
    LayOut(box, over, screen);
    CreateBoxWindow(box, title);
    XMapRaised(box.display, box.window);
    RunBox(box);
    if (tickedOff) *tickedOff = box.ticked;
    XDestroyWindow(box.display, box.window);
    box.window = None;
    // The keys go back to the game window.
    FocusIfViewable(box.display, box.owner);
    Release(box);
    return true;
}
