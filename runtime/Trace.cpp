// Writing the command trace.
#include "runtime/Trace.h"

#include <cstdio>
#include <cstring>

#include "runtime/Options.h"

bool g_kvTracing = false;

namespace {
std::FILE* g_traceFile = nullptr;

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
    if (std::strcmp(path, "-") == 0)
        g_traceFile = stdout;
    else
        g_traceFile = std::fopen(path, "w");
    g_kvTracing = g_traceFile != nullptr;
    return g_kvTracing;
}

void KvCloseTrace() {
    if (g_traceFile && g_traceFile != stdout) std::fclose(g_traceFile);
    if (g_traceFile == stdout) std::fflush(stdout);
    g_traceFile = nullptr;
    g_kvTracing = false;
}

void KvTraceWrite(const char* command, std::initializer_list<KvTraceArg> args) {
    if (!g_traceFile) return;
    std::fprintf(g_traceFile, "%ld %s", KvFrameNumber(), command);
    for (const KvTraceArg& arg : args) {
        std::fputc(' ', g_traceFile);
        if (arg.IsText())
            WriteText(g_traceFile, arg.Text());
        else
            std::fprintf(g_traceFile, "%g", arg.Number());
    }
    std::fputc('\n', g_traceFile);
}
