// Writing the command trace.
#include "runtime/Trace.h"

#include <cstdio>
#include <cstring>

#include "runtime/Runtime.h"

namespace {
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
    KvRuntime().trace = std::strcmp(path, "-") == 0 ? stdout : std::fopen(path, "w");
    return KvTracing();
}

void KvCloseTrace() {
    std::FILE*& trace = KvRuntime().trace;
    if (trace && trace != stdout) std::fclose(trace);
    if (trace == stdout) std::fflush(stdout);
    trace = nullptr;
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
}
