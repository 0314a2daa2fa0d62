// The runtime core: the program's globals, the runtime context, runtime errors,
// the error log and the end of the program.
#include "runtime/Runtime.h"

#include <cstdlib>

#include "files/TemporaryFolder.h"
#include "runtime/Trace.h"
#include "values/ErrorHook.h"

int __KV_RESX = 640;
int __KV_RESY = 480;
int __KV_FULLSCREEN = 1;
int __KV_FRAMERATE = 60;
int __KV_DEBUG = 1;
int __KV_WANTMOUSE = 0;

KvStr __g_cmdline;
double __g_debugline = 0;
double __g_debugfile = 0;
double __g_error = 0;
double __g_errorline = 0;
double __g_mx = 100;
double __g_my = 100;
double __g_FirstTime = 0;
double __g_LastTime = 0;
double __g_ThisTime = 0;
int __nCurFont = 0;

namespace {
void WriteLogNumber(double value) {
    char text[64];
    FormatNumber(value, text, sizeof text);
    KvAppendErrorLog(text);
}

void RecordError(int code) { __Error(code); }
void EndWithError(int code) { KvFatalError(code); }
}  // namespace

RuntimeContext::RuntimeContext() { KvSetErrorHandlers(RecordError, EndWithError); }

void RuntimeContext::Reset() {
    KvCloseTrace();
    options = RuntimeOptions();
    frameNumber = 0;
    exitCode = 0;
    screenshotWriter = nullptr;
    shutdown = RuntimeShutdownSteps();
    KvSetErrorHandlers(RecordError, EndWithError);
}

RuntimeContext& KvRuntime() {
    static RuntimeContext context;
    return context;
}

namespace {
// Made when the program loads, so the pure libraries' errors reach this runtime
// from the first statement on.
[[maybe_unused]] const RuntimeContext& g_loadedContext = KvRuntime();
}  // namespace

std::string KvTempDirectory() {
    std::string path = TemporaryRoot();
    if (path.back() != '/') path += '/';
    return path;
}

std::string KvErrorLogPath() { return KvTempDirectory() + "ErrorLog.txt"; }

void KvAppendErrorLog(const char* line) {
    std::FILE* log = std::fopen(KvErrorLogPath().c_str(), "ab");
    if (!log) return;  // a line that cannot be written is skipped
    std::fprintf(log, "%s\r\n", line);
    std::fclose(log);
}

void __EndProgram() {
    RuntimeContext& runtime = KvRuntime();
    if (runtime.shutdown.beforeErrorLog) runtime.shutdown.beforeErrorLog();
    if (__KV_DEBUG != 0) {
        KvAppendErrorLog("-End On Line");
        WriteLogNumber(__g_error);
        WriteLogNumber(__g_errorline);
        WriteLogNumber(__g_debugline);
        WriteLogNumber(__g_debugfile);
    }
    if (runtime.shutdown.afterErrorLog) runtime.shutdown.afterErrorLog();
    KvCloseTrace();
    std::fflush(stdout);
    std::exit(runtime.exitCode);
}

void __dLn(double file, double line) {
    __g_debugfile = file;
    __g_debugline = line;
}

double __Error(double code) {
    __g_error = code;
    __g_errorline = __g_debugline;
    return code;
}

void KvFatalError(int code) {
    __Error(code);
    __EndProgram();
}

void KvEndAtCurrentLine() { KvFatalError(0); }

void END() { KvEndAtCurrentLine(); }

KvStr GETCOMMANDLINE_Str() { return __g_cmdline; }
