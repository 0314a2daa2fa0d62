// VelFileSystem: holds one open file descriptor, so every path out of the media lookup closes
// the files it opened. FilePackSource reads a pack through one.
#pragma once

#include <cstdint>
#include <string>

#include "media/MediaPack.h"

class VelFileSystem {
  public:
    VelFileSystem() = default;
    ~VelFileSystem() { Close(); }
    VelFileSystem(const VelFileSystem&) = delete;
    VelFileSystem& operator=(const VelFileSystem&) = delete;

    // Opens an existing regular file for reading, without blocking; anything else (a FIFO,
    // device or folder) fails as a missing file would.
    bool OpenForReading(const std::string& path);
    // Creates a new file, owner-only; fails if the name exists (even as a link).
    bool CreateExclusive(const std::string& path);
    // Writes all bytes; false on any failure.
    bool WriteAll(const void* data, int64_t size);
    void Close();

    bool IsOpen() const { return handle_ >= 0; }
    int Handle() const { return handle_; }

  private:
    int handle_ = -1;  // none
};

// Writes all bytes to an open file descriptor, going on after interrupted writes; false on any
// failure.
bool WriteAllTo(int fd, const void* data, int64_t size);

// A pack read from an open file; the size is taken once, when the source is made.
class FilePackSource : public PackSource {
  public:
    explicit FilePackSource(VelFileSystem& file);
    int64_t Size() const override { return size_; }
    bool ReadAt(int64_t pos, void* buffer, int64_t n) override;

  private:
    VelFileSystem& file_;
    int64_t size_ = 0;
};
