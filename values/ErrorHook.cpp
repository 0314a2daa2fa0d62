// The error hook of the pure libraries.
#include "values/ErrorHook.h"

#include <cstdio>
#include <cstdlib>

namespace {
KvErrorHandler g_error = nullptr;
KvErrorHandler g_fatal = nullptr;
}  // namespace

void KvSetErrorHandlers(KvErrorHandler error, KvErrorHandler fatal) {
    g_error = error;
    g_fatal = fatal;
}

double KvRaiseError(int code) {
    if (g_error) g_error(code);
    return code;
}

void KvRaiseFatal(int code) {
    if (g_fatal) g_fatal(code);
    // Nothing ended the program: without a runtime there is no shutdown to run.
    std::fprintf(stderr, "runtime error %d\n", code);
    std::abort();
}
