// Holding back the libraries' lines on standard error: the descriptor is pointed at
// /dev/null for the while, then put back.
#include "system/LibraryMessages.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// Whether the person asked for the libraries' own lines.
bool LibraryMessagesWanted() {
    const char* wanted = std::getenv("KIP_LIBRARY_MESSAGES");
    return wanted && std::strcmp(wanted, "1") == 0;
}
}  // namespace

LibraryMessagesHeldBack::LibraryMessagesHeldBack() {
    if (LibraryMessagesWanted()) return;  // nothing to hold back: they go out as written
    std::fflush(stderr);
    m_nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    m_savedError = m_nowhere < 0 ? -1 : ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (m_savedError < 0 || ::dup2(m_nowhere, STDERR_FILENO) < 0) {
        if (m_savedError >= 0) ::close(m_savedError);
        if (m_nowhere >= 0) ::close(m_nowhere);
        m_savedError = m_nowhere = -1;
    }
}

LibraryMessagesHeldBack::~LibraryMessagesHeldBack() {
    if (m_savedError < 0) return;
    std::fflush(stderr);
    ::dup2(m_savedError, STDERR_FILENO);
    ::close(m_savedError);
    ::close(m_nowhere);
}
