// Writing the command trace.
#include "runtime/Trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/Options.h"

std::FILE* g_kvTraceFile = nullptr;

namespace {
std::string g_tracePath;
bool g_traceFailed = false;

bool TraceIsStandardOutput() { return g_kvTraceFile == stdout; }

// A trace that cannot be written (a full disk, a closed pipe) is given up: the person is
// told once, the program goes on, and the run ends with a non-zero exit code.
void SayTraceFailed(int error) {
    if (!g_traceFailed) {
        std::fprintf(stderr, "The trace %s cannot be written (%s), so it stops here.\n",
                     TraceIsStandardOutput() ? "on standard output" : g_tracePath.c_str(),
                     std::strerror(error ? error : EIO));
    }
    g_traceFailed = true;
    KvNoteOutputFailure();
}

void WriteText(std::FILE* out, const char* text) {
    std::fputc('"', out);
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == '"' || *p == '\\')
            std::fprintf(out, "\\%c", *p);
        else if (*p < 32 || *p > 126)
            std::fprintf(out, "\\x%02X", *p);
        else
            std::fputc(*p, out);
    }
    std::fputc('"', out);
}
}  // namespace

bool KvOpenTrace(const char* path) {
    KvCloseTrace();
    g_tracePath = path;
    g_traceFailed = false;
    if (std::strcmp(path, "-") == 0)
        g_kvTraceFile = stdout;
    else
        g_kvTraceFile = std::fopen(path, "w");
    return KvTracing();
}

bool KvCloseTrace() {
    if (!g_kvTraceFile) return !g_traceFailed;
    errno = 0;
    bool written = std::fflush(g_kvTraceFile) == 0 && !std::ferror(g_kvTraceFile);
    if (!TraceIsStandardOutput()) written = std::fclose(g_kvTraceFile) == 0 && written;
    if (!written) SayTraceFailed(errno);
    g_kvTraceFile = nullptr;
    return !g_traceFailed;
}

void KvTraceWrite(const char* command, std::initializer_list<KvTraceArg> args) {
    if (!g_kvTraceFile) return;
    std::fprintf(g_kvTraceFile, "%ld %s", KvFrameNumber(), command);
    for (const KvTraceArg& arg : args) {
        std::fputc(' ', g_kvTraceFile);
        if (arg.IsText())
            WriteText(g_kvTraceFile, arg.Text());
        else
            std::fprintf(g_kvTraceFile, "%g", arg.Number());
    }
    std::fputc('\n', g_kvTraceFile);
    if (std::ferror(g_kvTraceFile)) {
        errno = 0;
        std::fflush(g_kvTraceFile);  // the reason of this write, not of an older one
        SayTraceFailed(errno);
        if (!TraceIsStandardOutput()) std::fclose(g_kvTraceFile);
        g_kvTraceFile = nullptr;
    }
}
