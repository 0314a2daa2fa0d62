// Xlib errors that a request may cause and its caller expects (a window that is gone
// or not yet viewable): while the guard lives they are dropped instead of ending the
// program through Xlib's default handler. Seen() tells whether any came.
#pragma once

#include <X11/Xlib.h>

class X11ErrorsIgnored {
  public:
    explicit X11ErrorsIgnored(Display* display) : m_display(display) {
        XSync(m_display, False);
        m_previous = XSetErrorHandler(Ignore);
        m_before = s_errors;
    }
    ~X11ErrorsIgnored() {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    X11ErrorsIgnored(const X11ErrorsIgnored&) = delete;
    X11ErrorsIgnored& operator=(const X11ErrorsIgnored&) = delete;
    // Whether a request made since the guard began failed (waits for the server).
    bool Seen() {
        XSync(m_display, False);
        return s_errors != m_before;
    }

  private:
    static int Ignore(Display*, XErrorEvent*) {
        ++s_errors;
        return 0;
    }
    static inline unsigned long s_errors = 0;
    unsigned long m_before = 0;
    Display* m_display;
    XErrorHandler m_previous = nullptr;
};
