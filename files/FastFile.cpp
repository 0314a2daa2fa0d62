// The line cache of the file commands. A changed file is written back through a
// temporary file beside it that then replaces it, so a failed write never costs the
// user the file; lines past the cached ones are carried over unchanged.
#include "files/FastFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "values/ErrorHook.h"

FAST_FILE __g_FastFile;

namespace {
constexpr int kLastLineNumber = FAST_FILE::kLines - 1;

// Opens a regular file for reading; folders, devices and FIFOs are not text files
// (opened without blocking, so a FIFO cannot stall the program).
std::FILE* OpenRegularFile(const char* name) {
    int fd = open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

// The file the name finally stands for, so that a link keeps pointing at it.
std::string ResolvedTarget(const char* name) {
    char resolved[PATH_MAX];
    if (realpath(name, resolved)) return resolved;
    return name;
}

mode_t NewFileMode(const std::string& target) {
    struct stat info;
    if (stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Appends everything from offset on of the file source to out.
bool CopyTail(const std::string& source, int64_t offset, std::FILE* out) {
    std::FILE* in = std::fopen(source.c_str(), "rb");
    if (!in) return true;  // the file is gone: there is nothing left to keep
    bool ok = fseeko(in, static_cast<off_t>(offset), SEEK_SET) == 0;
    char buffer[65536];
    while (ok) {
        std::size_t got = std::fread(buffer, 1, sizeof buffer, in);
        if (got == 0) break;
        ok = std::fwrite(buffer, 1, got, out) == got;
    }
    ok = ok && !std::ferror(in);
    std::fclose(in);
    return ok;
}
}  // namespace

FAST_FILE::FAST_FILE() { Clear(); }

FAST_FILE::~FAST_FILE() { FillBuffer(nullptr); }

void FAST_FILE::Clear() {
    for (auto& line : m_lines) line[0] = 0;
    m_fileName[0] = 0;
    m_changed = 0;
    m_lastLine = 0;
    m_tailOffset = -1;
}

double FAST_FILE::FillBuffer(const char* file) {
    if (file && *file && std::strcmp(file, m_fileName) == 0) return 0;
    if (m_fileName[0] && m_changed) WriteBack();
    Clear();
    if (!file) return 0;
    if (!Load(file)) {
        Clear();
        return KvRaiseError(3);
    }
    return 0;
}

bool FAST_FILE::Load(const char* file) {
    std::size_t nameLength = std::strlen(file);
    if (nameLength == 0 || nameLength >= sizeof m_fileName) return false;
    std::FILE* in = OpenRegularFile(file);
    if (!in) return false;
    m_tailOffset = ReadLines(in);
    std::fclose(in);
    std::memcpy(m_fileName, file, nameLength + 1);
    return true;
}

// Reads up to 256 lines; a line ends at a line feed (a carriage return before it
// goes too) or at the end of the file. Characters past 1024 in a line are dropped.
int64_t FAST_FILE::ReadLines(std::FILE* in) {
    m_lastLine = 0;
    int c = std::getc(in);
    for (int line = 0; line < kLines && c != EOF; ++line) {
        m_lastLine = line;
        char* text = m_lines[line];
        int stored = 0;
        long total = 0;
        int previous = 0;
        while (c != EOF && c != '\n') {
            if (stored < kLineLength) text[stored++] = static_cast<char>(c);
            ++total;
            previous = c;
            c = std::getc(in);
        }
        if (c == '\n' && previous == '\r' && total <= kLineLength) --stored;
        text[stored] = 0;
        if (c == '\n') c = std::getc(in);
    }
    return c != EOF ? static_cast<int64_t>(ftello(in)) - 1 : -1;
}

const char* FAST_FILE::Line(int index) const {
    return index >= 0 && index < kLines ? m_lines[index] : "";
}

void FAST_FILE::WriteBack() {
    const std::string target = ResolvedTarget(m_fileName);
    std::string temporary = target + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        std::fprintf(stderr, "cannot write back %s: %s\n", m_fileName, std::strerror(errno));
        return;
    }
    fchmod(fd, NewFileMode(target));
    std::FILE* out = fdopen(fd, "wb");
    bool ok = out != nullptr;
    for (int line = 0; ok && line <= m_lastLine && line <= kLastLineNumber; ++line)
        ok = std::fputs(m_lines[line], out) >= 0 && std::fputs("\r\n", out) >= 0;
    if (ok && m_tailOffset >= 0) ok = CopyTail(target, m_tailOffset, out);
    ok = ok && std::fflush(out) == 0 && fsync(fd) == 0;
    if (out)
        ok = std::fclose(out) == 0 && ok;
    else
        close(fd);
    ok = ok && std::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        std::fprintf(stderr, "cannot write back %s: %s\n", m_fileName, std::strerror(errno));
        unlink(temporary.c_str());
    }
}

double FAST_FILE::GetFile(const char* file, short line, KvStr& text) {
    uint16_t index = static_cast<uint16_t>(line);
    if (index > kLastLineNumber) {
        text = "NO_DATA";
        return KvRaiseError(7);
    }
    if (FillBuffer(file) != 0) {
        text = "NO_FILE";
        return 3;
    }
    // A full line is longer than the string holds: it is cut to fit.
    char* out = text.GetStrData();
    std::size_t length = strnlen(m_lines[index], KvStr::kBufferSize - 1);
    std::memcpy(out, m_lines[index], length);
    out[length] = 0;
    text.TrimRight();
    if (text.Length() == 0) text = "NO_DATA";
    return 0;
}

double FAST_FILE::PutFile(const char* file, short line, KvStr& text) {
    uint16_t index = static_cast<uint16_t>(line);
    if (index > kLastLineNumber) return KvRaiseError(7);
    if (FillBuffer(file) != 0) {
        text = "NO_FILE";
        return 3;
    }
    std::size_t length = strnlen(text.GetStrData(), kLineLength);
    std::memcpy(m_lines[index], text.GetStrData(), length);
    m_lines[index][length] = 0;
    m_changed = 1;
    if (index > m_lastLine) m_lastLine = index;
    return 0;
}
