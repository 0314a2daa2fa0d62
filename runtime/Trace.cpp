// Writing the command trace.
#include "runtime/Trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/Runtime.h"

namespace {
bool TraceIsStandardOutput() { return KvRuntime().trace == stdout; }

// A trace that cannot be written (a full disk, a closed pipe) is given up: the person is
// told once, the program goes on, and the run ends with a non-zero exit code.
void SayTraceFailed(int error) {
    RuntimeContext& runtime = KvRuntime();
    if (!runtime.traceFailed) {
        std::fprintf(stderr, "The trace %s cannot be written (%s), so it stops here.\n",
                     TraceIsStandardOutput() ? "on standard output" : runtime.tracePath.c_str(),
                     std::strerror(error ? error : EIO));
    }
    runtime.traceFailed = true;
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

bool KvTracing() { return KvRuntime().trace != nullptr; }

bool KvOpenTrace(const char* path) {
    KvCloseTrace();
    RuntimeContext& runtime = KvRuntime();
    runtime.tracePath = path;
    runtime.traceFailed = false;
    runtime.trace = std::strcmp(path, "-") == 0 ? stdout : std::fopen(path, "w");
    return KvTracing();
}

bool KvCloseTrace() {
    RuntimeContext& runtime = KvRuntime();
    std::FILE*& trace = runtime.trace;
    if (!trace) return !runtime.traceFailed;
    errno = 0;
    bool written = std::fflush(trace) == 0 && !std::ferror(trace);
    if (!TraceIsStandardOutput()) written = std::fclose(trace) == 0 && written;
    if (!written) SayTraceFailed(errno);
    trace = nullptr;
    return !runtime.traceFailed;
}

void KvTraceWrite(const char* command, std::initializer_list<KvTraceArg> args) {
    RuntimeContext& runtime = KvRuntime();
    std::FILE* out = runtime.trace;
    if (!out) return;
    std::fprintf(out, "%ld %s", runtime.frameNumber, command);
    for (const KvTraceArg& arg : args) {
        std::fputc(' ', out);
        if (arg.IsText())
            WriteText(out, arg.Text());
        else
            std::fprintf(out, "%g", arg.Number());
    }
    std::fputc('\n', out);
    if (std::ferror(out)) {
        errno = 0;
        std::fflush(out);  // the reason of this write, not of an older one
        SayTraceFailed(errno);
        if (!TraceIsStandardOutput()) std::fclose(out);
        runtime.trace = nullptr;
    }
}
