// The media pack: a directory of named, compressed entries at the end of a file.
// Reading (directory walk, name match, entry data) and writing (the tail a pack builder adds).
// Pure logic over a random-access byte source; no file system calls here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Random-access bytes: a file or a block of memory. Every read is bounds-checked by the caller
// and by the source.
class PackSource {
  public:
    virtual ~PackSource() = default;
    virtual int64_t Size() const = 0;
    // Reads exactly n bytes at pos; false when they are not all there.
    virtual bool ReadAt(int64_t pos, void* buffer, int64_t n) = 0;
};

class MemoryPackSource : public PackSource {
  public:
    MemoryPackSource(const unsigned char* data, int64_t size) : data_(data), size_(size) {}
    int64_t Size() const override { return size_; }
    bool ReadAt(int64_t pos, void* buffer, int64_t n) override;

  private:
    const unsigned char* data_;
    int64_t size_;
};

struct PackEntry {
    std::string name;      // as stored, cut at a NUL byte
    int32_t offset = 0;    // as stored: from the start, or negative from the end
    int32_t size = 0;      // as stored
    int64_t position = 0;  // where the data begins, from the start of the file
};

// Walks the directory entry by entry, in the order stored.
class PackDirectoryReader {
  public:
    explicit PackDirectoryReader(PackSource& source) : source_(source) {}
    // Reads the directory position from the last 4 bytes; false when there is no directory
    // inside the file.
    bool Open();
    // The next entry; false at the end marker, at the end of the file or at a cut-off entry.
    bool Next(PackEntry& entry);
    // True when directory and offsets count back from the end of the file.
    bool CountsFromEnd() const { return fromEnd_; }
    int32_t DirectoryField() const { return directoryField_; }

  private:
    bool ReadBytes(void* out, int64_t n);
    bool Refill();

    PackSource& source_;
    int64_t fileSize_ = 0;
    int64_t cursor_ = 0;  // file position of buffer_[0]
    int32_t directoryField_ = 0;
    bool fromEnd_ = false;
    std::vector<unsigned char> buffer_;
    size_t bufferUsed_ = 0;
};

// Whether a stored entry name answers a requested name: the entry name equals the tail of the
// requested one, upper and lower case alike. Folders play no part.
bool EntryNameMatches(std::string_view entryName, std::string_view requested);

// The first entry (in directory order) that answers the requested name. Entries whose name
// begins with a NUL byte are skipped.
bool FindPackEntry(PackSource& source, std::string_view requested, PackEntry& found);

// The entry's stored bytes; false when they do not lie wholly inside the file.
bool ReadPackEntryData(PackSource& source, const PackEntry& entry,
                       std::vector<unsigned char>& data);

// The file name an unpacked entry gets: "~sbx", the offset in upper-case hexadecimal (as an
// unsigned number), the size in lower-case hexadecimal, then the entry name. Path separators
// and control bytes of the entry name become '_', and an overlong name keeps its tail, so the
// result is always one plain file name.
std::string UnpackedFileName(const PackEntry& entry);

// One entry for the pack builder: its name and its packed block.
struct PackInput {
    std::string name;
    std::vector<unsigned char> block;
};

// The bytes to append after existingSize bytes: entry data, directory, end marker and the
// directory field. With countFromEnd the positions count back from the end, so the tail keeps
// working whatever precedes it; otherwise they count from the start of the file. False (with a
// message) when a name is empty or over 255 bytes or the positions do not fit 32 bits.
bool BuildPackTail(const std::vector<PackInput>& inputs, int64_t existingSize, bool countFromEnd,
                   std::vector<unsigned char>& tail, std::string& error);
