// kvpack: the media pack builder. Packs files into a pack of its own, appends a pack to an
// existing file (such as the game executable), lists a pack and unpacks one entry.
// Stands on kv_media, so it writes and reads exactly what the runtime's lookup reads.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "media/MediaPack.h"
#include "media/VelCompression.h"
#include "media/VelFileSystem.h"
#include "values/Printable.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  kvpack create <pack> <files...>          write a new pack file holding the files\n"
    "  kvpack append <existing-file> <files...> append a pack of the files to an existing file\n"
    "                                           (e.g. the game executable); it keeps working\n"
    "                                           whatever the file holds before it\n"
    "  kvpack list <pack>                       list the entries of a pack\n"
    "  kvpack extract <pack> <name> <outfile>   unpack the entry the game would find for <name>\n"
    "Entries are named by the files' base names (at most 255 bytes).\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "kvpack: %s\n", message.c_str());
    return 1;
}

std::string ErrnoText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// Why a file could not be opened for reading: the system's reason, or that it is no
// regular file (a FIFO, device or folder is never read).
std::string CannotReadText(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return "cannot read " + path + ": not a regular file";
    }
    return ErrnoText("cannot read", path);
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& data, std::string& error) {
    VelFileSystem file;
    if (!file.OpenForReading(path)) {
        error = CannotReadText(path);
        return false;
    }
    FilePackSource source(file);
    if (source.Size() > INT32_MAX) {
        error = path + ": too large for a pack entry";
        return false;
    }
    data.resize(size_t(source.Size()));
    if (!source.ReadAt(0, data.data(), source.Size())) {
        error = ErrnoText("cannot read", path);
        return false;
    }
    return true;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && EntryNameMatches(a, b);
}

// Reads and packs every file. Entries are stored longest name first: the lookup takes the first
// entry whose name ends the requested one, so a shorter name stored first ("tile.bmp") would
// hide a longer one ("bigtile.bmp").
bool MakeInputs(const std::vector<std::string>& files, std::vector<PackInput>& inputs,
                std::string& error) {
    for (const std::string& file : files) {
        PackInput input;
        input.name = std::filesystem::path(file).filename().string();
        if (input.name.empty() || input.name.size() > 255) {
            error = file + ": the base name must be 1 to 255 bytes";
            return false;
        }
        for (const PackInput& other : inputs) {
            if (SameNameIgnoringCase(other.name, input.name)) {
                error = "two files named " + input.name + " (names ignore case)";
                return false;
            }
        }
        std::vector<unsigned char> raw;
        if (!ReadWholeFile(file, raw, error)) return false;
        VelCompression compression;
        compression.mode = VelCompression::kModeLzo;
        if (compression.Pack(raw.data(), long(raw.size())) == 0) {
            error = file + ": cannot compress";
            return false;
        }
        input.block.assign(compression.Result(), compression.Result() + compression.ResultLength());
        inputs.push_back(std::move(input));
    }
    std::stable_sort(inputs.begin(), inputs.end(), [](const PackInput& a, const PackInput& b) {
        return a.name.size() > b.name.size();
    });
    return true;
}

int Create(const std::string& packPath, const std::vector<std::string>& files) {
    std::vector<PackInput> inputs;
    std::vector<unsigned char> tail;
    std::string error;
    if (!MakeInputs(files, inputs, error) || !BuildPackTail(inputs, 0, false, tail, error)) {
        return Fail(error);
    }
    // Written beside the target and renamed over it, so a failure leaves no half pack.
    std::string temp = packPath + ".kvpack-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Fail(ErrnoText("cannot create", temp));
    const bool written =
        WriteAllTo(fd, tail.data(), int64_t(tail.size())) && ::fchmod(fd, 0644) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), packPath.c_str()) != 0) {
        const std::string message = ErrnoText("cannot write", packPath);
        ::unlink(temp.c_str());
        return Fail(message);
    }
    std::printf("%s: %zu entries, %zu bytes\n", packPath.c_str(), inputs.size(), tail.size());
    return 0;
}

int Append(const std::string& targetPath, const std::vector<std::string>& files) {
    std::vector<PackInput> inputs;
    std::vector<unsigned char> tail;
    std::string error;
    if (!MakeInputs(files, inputs, error)) return Fail(error);
    const int fd = ::open(targetPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    struct stat info;
    if (fd < 0) return Fail(ErrnoText("cannot open", targetPath));
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Fail(targetPath + ": not a regular file");
    }
    if (!BuildPackTail(inputs, int64_t(info.st_size), true, tail, error)) {
        ::close(fd);
        return Fail(error);
    }
    if (!WriteAllTo(fd, tail.data(), int64_t(tail.size()))) {
        const std::string message = ErrnoText("cannot write", targetPath);
        // Cut the file back to what it was: a half pack must not stay behind.
        if (::ftruncate(fd, info.st_size) != 0) std::perror("kvpack: cannot restore file");
        ::close(fd);
        return Fail(message);
    }
    if (::close(fd) != 0) return Fail(ErrnoText("cannot write", targetPath));
    std::printf("%s: appended %zu entries, %zu bytes\n", targetPath.c_str(), inputs.size(),
                tail.size());
    return 0;
}

bool OpenPack(const std::string& packPath, VelFileSystem& file) {
    if (file.OpenForReading(packPath)) return true;
    Fail(CannotReadText(packPath));
    return false;
}

long long UnpackedLength(FilePackSource& source, const PackEntry& entry) {
    unsigned char header[VelCompression::kHeaderSize];
    if (entry.size < VelCompression::kHeaderSize || entry.position < 0 ||
        !source.ReadAt(entry.position, header, VelCompression::kHeaderSize)) {
        return -1;
    }
    return (long long)VelCompression::AnnouncedLength(header);
}

int List(const std::string& packPath) {
    VelFileSystem file;
    if (!OpenPack(packPath, file)) return 1;
    FilePackSource source(file);
    PackDirectoryReader reader(source);
    if (!reader.Open()) return Fail(packPath + ": no media pack at the end of this file");
    if (reader.CountsFromEnd()) {
        std::printf("%s: appended pack, directory %d bytes before the end\n", packPath.c_str(),
                    -reader.DirectoryField());
    } else {
        std::printf("%s: pack, directory at offset %d\n", packPath.c_str(),
                    reader.DirectoryField());
    }
    std::printf("%11s %10s %10s  %s\n", "offset", "packed", "unpacked", "name");
    PackEntry entry;
    while (reader.Next(entry)) {
        const long long unpacked = UnpackedLength(source, entry);
        std::printf("%11d %10d %10s  %s\n", entry.offset, entry.size,
                    unpacked < 0 ? "?" : std::to_string(unpacked).c_str(),
                    entry.name.empty() ? "(blank entry, skipped)" : PrintableText(entry.name).c_str());
    }
    return 0;
}

int Extract(const std::string& packPath, const std::string& name, const std::string& outPath) {
    VelFileSystem file;
    if (!OpenPack(packPath, file)) return 1;
    FilePackSource source(file);
    PackEntry entry;
    std::vector<unsigned char> block;
    if (!FindPackEntry(source, name, entry)) return Fail(PrintableText(name) + ": not in " + packPath);
    if (!ReadPackEntryData(source, entry, block)) {
        return Fail(PrintableText(entry.name) + ": entry lies outside the file");
    }
    VelCompression compression;
    compression.mode = VelCompression::kModeLzo;
    compression.UnPack(block.data(), int(block.size()));
    if (compression.Damaged()) return Fail(PrintableText(entry.name) + ": entry is damaged");
    FILE* out = std::fopen(outPath.c_str(), "wb");
    if (out == nullptr) return Fail(ErrnoText("cannot create", outPath));
    const size_t n = size_t(compression.ResultLength());
    const bool ok = std::fwrite(compression.Result(), 1, n, out) == n;
    if (std::fclose(out) != 0 || !ok) return Fail(ErrnoText("cannot write", outPath));
    std::printf("%s -> %s (%zu bytes)\n", PrintableText(entry.name).c_str(), outPath.c_str(), n);
    return 0;
}

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    const std::string& command = args[0];
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const size_t firstFile = std::min<size_t>(2, args.size());
    const std::vector<std::string> files(args.begin() + firstFile, args.end());
    if (command == "create" && args.size() >= 3) return Create(args[1], files);
    if (command == "append" && args.size() >= 3) return Append(args[1], files);
    if (command == "list" && args.size() == 2) return List(args[1]);
    if (command == "extract" && args.size() == 4) return Extract(args[1], args[2], args[3]);
    std::fprintf(stderr, "kvpack: bad command line\n");
    return Usage();
}
