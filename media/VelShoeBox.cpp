// VelShoeBox: the media lookup. Each box unpacks into a folder of its own made with mkdtemp, so
// two running programs, or the two boxes of one program, never share or replace a file, and
// nobody else can plant a link where an entry is written.
#include "media/VelShoeBox.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <vector>

#include "files/TemporaryFolder.h"
#include "media/MediaPack.h"
#include "media/VelCompression.h"
#include "media/VelFileSystem.h"

VelShoeBox __g_ShoeBox_Data;
VelShoeBox __g_ShoeBox_Media;

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

bool VelShoeBox::EnsurePrivateDirectory() {
    if (!privateDirectory_.empty()) return true;
    return MakePrivateFolder("kvmedia-", privateDirectory_);
}

void VelShoeBox::RemovePrivateDirectory() {
    if (!privateDirectory_.empty()) ::rmdir(privateDirectory_.c_str());
    privateDirectory_.clear();
}

bool VelShoeBox::Lookup(const std::string& name, std::string& path) {
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
    return LookupInPack(name, path);
}

bool VelShoeBox::LookupInPack(const std::string& name, std::string& path) {
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
    if (!WriteTemporaryFile(fileName, compression.Result(), compression.ResultLength())) {
        return false;
    }
    path = temporaryFile_;
    return true;
}

bool VelShoeBox::WriteTemporaryFile(const std::string& fileName, const unsigned char* data,
                                    int size) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!EnsurePrivateDirectory()) return false;
        const std::string target = privateDirectory_ + "/" + fileName;
        VelFileSystem file;
        if (!file.CreateExclusive(target)) {
            // The folder was removed behind our back (a temp cleaner): make a fresh one once.
            if (errno != ENOENT) return false;
            privateDirectory_.clear();
            continue;
        }
        if (!file.WriteAll(data, size)) {
            file.Close();
            ::unlink(target.c_str());
            return false;
        }
        temporaryFile_ = target;
        return true;
    }
    return false;
}

void SetShoeBoxes(const std::string& dataPack, const std::string& musicPack) {
    VelShoeBox* boxes[2] = {&__g_ShoeBox_Data, &__g_ShoeBox_Media};
    const std::string* paths[2] = {&dataPack, &musicPack};
    for (int i = 0; i < 2; ++i) {
        boxes[i]->Clear();
        std::printf("Setting box:%s\n", paths[i]->c_str());
        std::fflush(stdout);
        boxes[i]->SetPath(*paths[i]);
    }
}
