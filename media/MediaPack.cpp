// The media pack's reader and the tail writer of the pack builder. All integers in the pack
// are little-endian; every position is checked against the file size before it is read.
#include "media/MediaPack.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "bytes/LittleEndian.h"

namespace {

constexpr int64_t kFieldSize = 4;
constexpr int64_t kReadChunk = 4096;
constexpr size_t kMaxFileNameBytes = 255;

int32_t DecodeInt32(const unsigned char* p) { return int32_t(ReadLittle32(p)); }

void AppendInt32(std::vector<unsigned char>& out, int64_t value) {
    uint8_t bytes[4];
    WriteLittle32(bytes, uint32_t(int32_t(value)));
    out.insert(out.end(), bytes, bytes + 4);
}

unsigned char FoldCase(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

bool IsUnsafeFileNameByte(unsigned char c) {
    return c == '/' || c == '\\' || c < 0x20 || c == 0x7f;
}

}  // namespace

bool MemoryPackSource::ReadAt(int64_t pos, void* buffer, int64_t n) {
    if (pos < 0 || n < 0 || pos > size_ || n > size_ - pos) return false;
    if (n > 0) std::memcpy(buffer, data_ + pos, size_t(n));
    return true;
}

bool PackDirectoryReader::Open() {
    fileSize_ = source_.Size();
    if (fileSize_ < kFieldSize) return false;
    unsigned char field[kFieldSize];
    if (!source_.ReadAt(fileSize_ - kFieldSize, field, kFieldSize)) return false;
    directoryField_ = DecodeInt32(field);
    fromEnd_ = directoryField_ < 0;
    const int64_t start = fromEnd_ ? fileSize_ + directoryField_ : directoryField_;
    if (start < 0 || start > fileSize_) return false;
    cursor_ = start;
    buffer_.clear();
    bufferUsed_ = 0;
    return true;
}

bool PackDirectoryReader::Refill() {
    cursor_ += int64_t(bufferUsed_);
    const int64_t n = std::min(kReadChunk, fileSize_ - cursor_);
    bufferUsed_ = 0;
    buffer_.assign(size_t(std::max<int64_t>(n, 0)), 0);
    if (n <= 0) return false;
    return source_.ReadAt(cursor_, buffer_.data(), n);
}

bool PackDirectoryReader::ReadBytes(void* out, int64_t n) {
    if (int64_t(buffer_.size() - bufferUsed_) < n) {
        // Keep the unread rest: move the cursor to it and read a fresh chunk from there.
        if (!Refill() || int64_t(buffer_.size()) < n) return false;
    }
    std::memcpy(out, buffer_.data() + bufferUsed_, size_t(n));
    bufferUsed_ += size_t(n);
    return true;
}

bool PackDirectoryReader::Next(PackEntry& entry) {
    unsigned char length = 0;
    if (!ReadBytes(&length, 1) || length == 0) return false;
    char name[256];
    unsigned char fields[2 * kFieldSize];
    if (!ReadBytes(name, length) || !ReadBytes(fields, sizeof fields)) return false;
    entry.name.assign(name, strnlen(name, length));
    entry.offset = DecodeInt32(fields);
    entry.size = DecodeInt32(fields + kFieldSize);
    entry.position = fromEnd_ ? fileSize_ + entry.offset : int64_t(entry.offset);
    return true;
}

bool EntryNameMatches(std::string_view entryName, std::string_view requested) {
    if (entryName.empty() || entryName.size() > requested.size()) return false;
    const std::string_view tail = requested.substr(requested.size() - entryName.size());
    for (size_t i = 0; i < entryName.size(); ++i) {
        if (FoldCase(entryName[i]) != FoldCase(tail[i])) return false;
    }
    return true;
}

bool FindPackEntry(PackSource& source, std::string_view requested, PackEntry& found) {
    PackDirectoryReader reader(source);
    if (requested.empty() || !reader.Open()) return false;
    PackEntry entry;
    while (reader.Next(entry)) {
        // A name beginning with NUL is a deleted or blank entry.
        if (entry.name.empty()) continue;
        if (EntryNameMatches(entry.name, requested)) {
            found = std::move(entry);
            return true;
        }
    }
    return false;
}

bool ReadPackEntryData(PackSource& source, const PackEntry& entry,
                       std::vector<unsigned char>& data) {
    const int64_t fileSize = source.Size();
    if (entry.size < 0 || entry.position < 0 || entry.position > fileSize ||
        entry.size > fileSize - entry.position) {
        return false;
    }
    data.resize(size_t(entry.size));
    return source.ReadAt(entry.position, data.data(), entry.size);
}

std::string UnpackedFileName(const PackEntry& entry) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "~sbx%X%x", unsigned(uint32_t(entry.offset)),
                  unsigned(uint32_t(entry.size)));
    std::string name = entry.name;
    for (char& c : name) {
        if (IsUnsafeFileNameByte(static_cast<unsigned char>(c))) c = '_';
    }
    const size_t room = kMaxFileNameBytes - std::strlen(prefix);
    // The tail carries the extension, which players and loaders may look at.
    if (name.size() > room) name.erase(0, name.size() - room);
    return prefix + name;
}

bool BuildPackTail(const std::vector<PackInput>& inputs, int64_t existingSize, bool countFromEnd,
                   std::vector<unsigned char>& tail, std::string& error) {
    int64_t dataSize = 0;
    int64_t directorySize = 1;  // the end marker
    for (const PackInput& input : inputs) {
        if (input.name.empty() || input.name.size() > 255 || input.name[0] == '\0') {
            error = "entry name must be 1 to 255 bytes: \"" + input.name + "\"";
            return false;
        }
        dataSize += int64_t(input.block.size());
        directorySize += 1 + int64_t(input.name.size()) + 2 * kFieldSize;
    }
    const int64_t tailSize = dataSize + directorySize + kFieldSize;
    const int64_t limit = countFromEnd ? tailSize : existingSize + tailSize;
    if (existingSize < 0 || limit > INT32_MAX) {
        error = "pack too large: positions must fit in 32 bits";
        return false;
    }
    // Where a position of the tail is written as: from the start, or back from the end.
    const int64_t base = countFromEnd ? -tailSize : existingSize;
    tail.clear();
    tail.reserve(size_t(tailSize));
    std::vector<unsigned char> directory;
    for (const PackInput& input : inputs) {
        directory.push_back(uint8_t(input.name.size()));
        directory.insert(directory.end(), input.name.begin(), input.name.end());
        AppendInt32(directory, base + int64_t(tail.size()));
        AppendInt32(directory, int64_t(input.block.size()));
        tail.insert(tail.end(), input.block.begin(), input.block.end());
    }
    directory.push_back(0);
    const int64_t directoryPosition = base + int64_t(tail.size());
    tail.insert(tail.end(), directory.begin(), directory.end());
    AppendInt32(tail, directoryPosition);
    return true;
}
