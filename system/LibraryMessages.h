// Holds back what the libraries beneath the runtime write to standard error while they
// start their devices (the sound library's "ALSA lib ..." lines, the display library's
// XDG_RUNTIME_DIR line): the runtime says such conditions once, in its own words.
// KIP_LIBRARY_MESSAGES=1 in the environment lets the libraries' own lines through.
#pragma once

// While an object lives, what is written to standard error goes nowhere; its destructor
// puts standard error back.
class LibraryMessagesHeldBack {
  public:
    LibraryMessagesHeldBack();
    ~LibraryMessagesHeldBack();
    LibraryMessagesHeldBack(const LibraryMessagesHeldBack&) = delete;
    LibraryMessagesHeldBack& operator=(const LibraryMessagesHeldBack&) = delete;

  private:
    int m_savedError = -1;  // the real standard error, while held back
    int m_nowhere = -1;     // /dev/null, where the libraries' lines go
};
