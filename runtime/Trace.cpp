// Writing the command trace.
#include "runtime/Trace.h"

#include <cstdio>
#include <cstring>

#include "runtime/Options.h"

std::FILE* g_kvTraceFile = nullptr;

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

bool KvOpenTrace(const char* path) {
    KvCloseTrace();
    if (std::strcmp(path, "-") == 0)
        g_kvTraceFile = stdout;
    else
        g_kvTraceFile = std::fopen(path, "w");
    return KvTracing();
}

void KvCloseTrace() {
    if (g_kvTraceFile && g_kvTraceFile != stdout) std::fclose(g_kvTraceFile);
    if (g_kvTraceFile == stdout) std::fflush(stdout);
    g_kvTraceFile = nullptr;
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
}
