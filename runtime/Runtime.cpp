// The runtime core: the program's globals, the runtime context, runtime errors,
// the error log and the end of the program.
#include "runtime/Runtime.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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
    // By index: a layer's reset may make another layer's record.
    for (std::size_t n = m_layers.size(); n-- > 0;) m_layers[n]->Reset();
    KvCloseTrace();
    options = RuntimeOptions();
    frameNumber = 0;
    exitCode = 0;
    tracePath.clear();
    traceFailed = false;
    outputFailed = false;
    screenshotWriter = nullptr;
    shutdown = RuntimeShutdownSteps();
    if (errorLog >= 0) ::close(errorLog);
    errorLog = -1;
    errorLogStarted = false;
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

namespace {
void SayErrorLogIsNotWritten(const std::string& path, const char* what, int error) {
    std::fprintf(stderr, "The error log %s %s (%s), so this run writes no log.\n", path.c_str(),
                 what, std::strerror(error));
}

bool WriteAllToLog(int log, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(log, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}
}  // namespace

// The old log is deleted and a new one made in its place, never through a link: in a
// shared temporary folder another user could have planted one, or could swap one in
// later, so every line goes through the file opened here. When the old log cannot be
// removed (another user's file in a sticky folder), or a link or file stands there
// again, no log is written, and the person is told once.
void KvStartErrorLog() {
    RuntimeContext& runtime = KvRuntime();
    if (runtime.errorLog >= 0) ::close(runtime.errorLog);
    runtime.errorLog = -1;
    runtime.errorLogStarted = true;
    const std::string path = KvErrorLogPath();
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        SayErrorLogIsNotWritten(path, "cannot be removed", errno);
        return;
    }
    runtime.errorLog =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (runtime.errorLog < 0) SayErrorLogIsNotWritten(path, "cannot be made", errno);
}

void KvAppendErrorLog(const char* line) {
    RuntimeContext& runtime = KvRuntime();
    if (!runtime.errorLogStarted) KvStartErrorLog();
    if (runtime.errorLog < 0) return;  // told already at start-up
    const std::string text = std::string(line) + "\r\n";
    WriteAllToLog(runtime.errorLog, text.data(), text.size());
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
    KvReportScreenshotsNeverShown();
    // A trace or screenshot that could not be written makes the run a failure, though
    // the program went on.
    if ((!KvCloseTrace() || KvOutputFailed()) && runtime.exitCode == 0) runtime.exitCode = 1;
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
