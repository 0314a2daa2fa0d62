// The command trace: one line per drawing, sound and key command the program
// called, frame by frame, in a stable format that tests read back:
//
//   <frame> <COMMAND> <arg> <arg> ...
//
// <frame> is the number of frames shown so far; numbers are written with "%g";
// texts in double quotes with \" \\ and \xHH escapes for quotes, backslashes and
// bytes outside printable ASCII. SHOWSCREEN itself is traced as "<frame> SHOWSCREEN".
// The drawing and screen commands trace their arguments as the program passed them
// (the raw doubles and file names, before any conversion or media lookup); the
// frame number of SHOWSCREEN's own line is the frame it ends.
#pragma once

#include <cstdio>
#include <initializer_list>

class KvTraceArg {
  public:
    KvTraceArg(double number) : m_number(number) {}
    KvTraceArg(const char* text) : m_text(text ? text : "") {}

    bool IsText() const { return m_text != nullptr; }
    double Number() const { return m_number; }
    const char* Text() const { return m_text; }

  private:
    double m_number = 0;
    const char* m_text = nullptr;
};

// Opens the trace; "-" is standard output. Returns false if it cannot be opened.
bool KvOpenTrace(const char* path);
// Writes out and closes the trace. False when some of it could not be written (the
// person was told then, once, on standard error).
bool KvCloseTrace();

// Whether a trace is open.
bool KvTracing();

void KvTraceWrite(const char* command, std::initializer_list<KvTraceArg> args);

// Writes the line only when tracing is on.
inline void KvTrace(const char* command, std::initializer_list<KvTraceArg> args = {}) {
    if (KvTracing()) KvTraceWrite(command, args);
}
