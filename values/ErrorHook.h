// How the pure libraries raise runtime errors without knowing the program frame:
// they call KvRaiseError or KvRaiseFatal, and the runtime core installs the
// handlers that record the code and line, or end the program through its shutdown.
#pragma once

using KvErrorHandler = void (*)(int code);

// Installs the handlers; null restores the defaults (an error is ignored, a fatal
// error is reported on standard error and aborts).
void KvSetErrorHandlers(KvErrorHandler error, KvErrorHandler fatal);

// An error the program goes on after (a file that cannot be read). Returns code.
double KvRaiseError(int code);
// An error that ends the program (an array used outside its bounds).
[[noreturn]] void KvRaiseFatal(int code);
