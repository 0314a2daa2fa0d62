// VelFileSystem: POSIX file descriptors for the media lookup (open, exclusive create, positioned
// reads, complete writes).
#include "media/VelFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool VelFileSystem::OpenForReading(const std::string& path) {
    Close();
    // Non-blocking so that a FIFO of that name cannot stall the program; only a regular
    // file counts: a FIFO, device or folder of that name is as good as no file at all.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

bool VelFileSystem::CreateExclusive(const std::string& path) {
    Close();
    handle_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    return handle_ >= 0;
}

bool WriteAllTo(int fd, const void* data, int64_t size) {
    if (fd < 0 || size < 0) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size_t(size));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= n;
    }
    return true;
}

bool VelFileSystem::WriteAll(const void* data, int64_t size) {
    return WriteAllTo(handle_, data, size);
}

void VelFileSystem::Close() {
    if (handle_ >= 0) ::close(handle_);
    handle_ = -1;
}

FilePackSource::FilePackSource(VelFileSystem& file) : file_(file) {
    struct stat info;
    if (file_.IsOpen() && ::fstat(file_.Handle(), &info) == 0 && S_ISREG(info.st_mode)) {
        size_ = int64_t(info.st_size);
    }
}

bool FilePackSource::ReadAt(int64_t pos, void* buffer, int64_t n) {
    if (pos < 0 || n < 0 || pos > size_ || n > size_ - pos) return false;
    char* p = static_cast<char*>(buffer);
    while (n > 0) {
        const ssize_t got = ::pread(file_.Handle(), p, size_t(n), off_t(pos));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got;
        pos += got;
        n -= got;
    }
    return true;
}
