// VelShoeBox: the media lookup. Each box unpacks into a folder of its own made with mkdtemp, so
// two running programs, or the two boxes of one program, never share or replace a file, and
// nobody else can plant a link where an entry is written. When $TMPDIR cannot hold the folder,
// the system's temporary folder is tried, and the person is told once.
#include "media/VelShoeBox.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "files/TemporaryFolder.h"
#include "media/MediaPack.h"
#include "media/VelCompression.h"
#include "media/VelFileSystem.h"

VelShoeBox __g_ShoeBox_Data;
VelShoeBox __g_ShoeBox_Media;

namespace {
const char kSystemTemporaryRoot[] = "/tmp";
const char kFolderPrefix[] = "kvmedia-";

void ReportOnStandardError(const std::string& sentence) {
    std::fprintf(stderr, "%s\n", sentence.c_str());
}
ShoeBoxReporter g_reporter = ReportOnStandardError;
bool g_toldOfFallback = false;
bool g_toldOfMissingMedia = false;
std::FILE* g_boxDiagnostics = nullptr;  // where SetShoeBoxes tells; null: standard output

// Where the boxes may unpack: $TMPDIR, then the system's temporary folder.
std::vector<std::string> UnpackRoots() {
    std::vector<std::string> roots{TemporaryRoot()};
    if (roots[0] != kSystemTemporaryRoot) roots.push_back(kSystemTemporaryRoot);
    return roots;
}

struct RootFailure {
    std::string root;
    int error;
};

std::string Reason(int error) { return std::string("(") + std::strerror(error) + ")"; }

// The sentence that tells of the folders that failed, and where the media went instead.
std::string FailureSentence(const std::vector<RootFailure>& failures, const std::string& usedRoot) {
    const std::string outcome = usedRoot.empty()
                                    ? ", so the packed pictures and sounds are missing."
                                    : ", so they go to " + usedRoot + " instead.";
    if (failures.size() == 1) {
        return "The temporary folder " + failures[0].root + " cannot hold the unpacked media " +
               Reason(failures[0].error) + outcome;
    }
    std::string sentence = "Neither";
    for (std::size_t i = 0; i < failures.size(); ++i) {
        sentence += (i == 0 ? " " : " nor ") + failures[i].root + " " + Reason(failures[i].error);
    }
    return sentence + " can hold the unpacked media" + outcome;
}

// Says once per run that the media went to another folder, and once that they are missing.
void ReportRootFailures(const std::vector<RootFailure>& failures, const std::string& usedRoot) {
    if (failures.empty()) return;
    bool& told = usedRoot.empty() ? g_toldOfMissingMedia : g_toldOfFallback;
    if (told) return;
    told = true;
    g_reporter(FailureSentence(failures, usedRoot));
}

// The process id in the name of a box's folder ("kvmedia-<pid>-XXXXXX"), or 0.
pid_t FolderOwnerProcess(const char* name) {
    const std::size_t prefixLength = sizeof kFolderPrefix - 1;
    if (std::strncmp(name, kFolderPrefix, prefixLength) != 0) return 0;
    const char* digits = name + prefixLength;
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(digits, &end, 10);
    if (end == digits || *digits < '0' || *digits > '9' || *end != '-' || errno != 0) return 0;
    if (std::strlen(end + 1) != 6 || pid <= 0 || pid > INT_MAX) return 0;
    return pid_t(pid);
}

bool ProcessIsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// Deletes a stale folder of ours: the files in it (a box puts nothing else there), then the
// folder. Links are never followed; another user's folder is left alone.
void RemoveStaleFolder(int rootFd, const char* name) {
    const int fd = ::openat(rootFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info;
    DIR* folder = nullptr;
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid() ||
        (folder = ::fdopendir(fd)) == nullptr) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        ::unlinkat(::dirfd(folder), entry->d_name, 0);
    }
    ::closedir(folder);
    ::unlinkat(rootFd, name, AT_REMOVEDIR);
}

void RemoveStaleFoldersIn(const std::string& root) {
    DIR* folder = ::opendir(root.c_str());
    if (folder == nullptr) return;
    while (const dirent* entry = ::readdir(folder)) {
        const pid_t owner = FolderOwnerProcess(entry->d_name);
        if (owner != 0 && owner != ::getpid() && ProcessIsGone(owner)) {
            RemoveStaleFolder(::dirfd(folder), entry->d_name);
        }
    }
    ::closedir(folder);
}
}  // namespace

void SetShoeBoxReporter(ShoeBoxReporter reporter) {
    g_reporter = reporter ? reporter : ReportOnStandardError;
    g_toldOfFallback = g_toldOfMissingMedia = false;
}

void RemoveStaleUnpackFolders() {
    for (const std::string& root : UnpackRoots()) RemoveStaleFoldersIn(root);
}

void VelShoeBox::Clear() {
    DeleteTemporaryFile();
    RemovePrivateDirectory();
    path_.clear();
}

void VelShoeBox::SetPath(const std::string& packPath) {
    Clear();
    path_ = packPath;
}

void VelShoeBox::DeleteTemporaryFile() {
    if (!temporaryFile_.empty()) ::unlink(temporaryFile_.c_str());
    temporaryFile_.clear();
}

int VelShoeBox::MakePrivateDirectory(const std::string& root) {
    // The owner's process id in the name lets a later run remove the folder of a run that
    // was killed outright.
    std::string pattern = root + "/" + kFolderPrefix + std::to_string(::getpid()) + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return errno;
    privateDirectory_ = pattern;
    return 0;
}

void VelShoeBox::RemovePrivateDirectory() {
    if (!privateDirectory_.empty()) ::rmdir(privateDirectory_.c_str());
    privateDirectory_.clear();
}

bool VelShoeBox::Lookup(const std::string& name, std::string& path, std::size_t longestPath) {
    // Only the most recent unpacked file of a box exists at any time.
    DeleteTemporaryFile();
    path.clear();
    if (name.empty()) return false;
    {
        VelFileSystem file;
        if (file.OpenForReading(name)) {
            path = name;
            return true;
        }
    }
    return LookupInPack(name, path, longestPath);
}

bool VelShoeBox::LookupInPack(const std::string& name, std::string& path,
                              std::size_t longestPath) {
    if (path_.empty()) return false;
    VelFileSystem pack;
    if (!pack.OpenForReading(path_)) return false;
    FilePackSource source(pack);
    PackEntry entry;
    std::vector<unsigned char> block;
    if (!FindPackEntry(source, name, entry) || !ReadPackEntryData(source, entry, block)) {
        return false;
    }
    pack.Close();
    VelCompression compression;
    compression.mode = VelCompression::kModeLzo;
    compression.UnPack(block.data(), int(block.size()));
    // A damaged entry is not found: a half-written file would be loaded as if it were whole.
    if (compression.Damaged()) return false;
    const std::string fileName = UnpackedFileName(entry);
    if (!WriteTemporaryFile(fileName, compression.Result(), compression.ResultLength(),
                            longestPath)) {
        return false;
    }
    path = temporaryFile_;
    return true;
}

bool VelShoeBox::WriteTemporaryFile(const std::string& fileName, const unsigned char* data,
                                    int size, std::size_t longestPath) {
    // The folder of an earlier lookup first. It may have been removed behind our back (a temp
    // cleaner) or its disk may have filled up since: then a new folder is made.
    // Something planted under the entry's name is never followed nor hidden: not found.
    if (!privateDirectory_.empty()) {
        const int error = FitsInPrivateDirectory(fileName, longestPath)
                              ? WriteIntoPrivateDirectory(fileName, data, size)
                              : ENAMETOOLONG;
        if (error == 0 || error == EEXIST) return error == 0;
        RemovePrivateDirectory();
    }
    std::vector<RootFailure> failures;
    for (const std::string& root : UnpackRoots()) {
        int error = MakePrivateDirectory(root);
        // A folder so deep that the file's path no longer fits where the caller keeps it
        // is as unusable as a missing one.
        if (error == 0 && !FitsInPrivateDirectory(fileName, longestPath)) error = ENAMETOOLONG;
        if (error == 0) error = WriteIntoPrivateDirectory(fileName, data, size);
        if (error == 0) {
            ReportRootFailures(failures, root);
            return true;
        }
        RemovePrivateDirectory();
        failures.push_back({root, error});
    }
    ReportRootFailures(failures, "");
    return false;
}

bool VelShoeBox::FitsInPrivateDirectory(const std::string& fileName,
                                        std::size_t longestPath) const {
    return privateDirectory_.size() + 1 + fileName.size() <= longestPath;
}

int VelShoeBox::WriteIntoPrivateDirectory(const std::string& fileName, const unsigned char* data,
                                          int size) {
    const std::string target = privateDirectory_ + "/" + fileName;
    VelFileSystem file;
    if (!file.CreateExclusive(target)) return errno;
    errno = 0;
    if (!file.WriteAll(data, size)) {
        const int error = errno != 0 ? errno : EIO;
        file.Close();
        ::unlink(target.c_str());
        return error;
    }
    temporaryFile_ = target;
    return 0;
}

void SetShoeBoxDiagnostics(std::FILE* stream) { g_boxDiagnostics = stream; }

void SetShoeBoxes(const std::string& dataPack, const std::string& musicPack) {
    VelShoeBox* boxes[2] = {&__g_ShoeBox_Data, &__g_ShoeBox_Media};
    const std::string* paths[2] = {&dataPack, &musicPack};
    std::FILE* out = g_boxDiagnostics ? g_boxDiagnostics : stdout;
    for (int i = 0; i < 2; ++i) {
        boxes[i]->Clear();
        std::fprintf(out, "Setting box:%s\n", paths[i]->c_str());
        std::fflush(out);
        boxes[i]->SetPath(*paths[i]);
    }
}
