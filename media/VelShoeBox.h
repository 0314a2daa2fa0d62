// VelShoeBox: one media box (the pack a group of loaders looks in) and the media lookup through
// it: a file of that name wins, else the pack's first matching entry is unpacked to a temporary
// file. Plain C++ strings; the runtime's string wrappers live in MediaLookup.h.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

class VelShoeBox {
  public:
    VelShoeBox() = default;
    ~VelShoeBox() { Clear(); }
    VelShoeBox(const VelShoeBox&) = delete;
    VelShoeBox& operator=(const VelShoeBox&) = delete;

    // Deletes the temporary file and the box's private folder, and switches the box off.
    void Clear();
    // Forgets the old pack (and its temporary file) and names a new one; empty switches off.
    void SetPath(const std::string& packPath);

    // Resolves a media name. On success `path` names a readable file: the name itself, or a
    // temporary file holding the unpacked pack entry, which lives until the next lookup through
    // this box. On failure `path` is empty. The previous temporary file is deleted either way.
    // A caller that holds paths of at most `longestPath` characters gets no longer one: a
    // temporary folder too deep for the unpacked file counts as unusable, and the next one
    // is tried.
    bool Lookup(const std::string& name, std::string& path,
                std::size_t longestPath = std::string::npos);

    // Deletes the last unpacked file now (the next lookup would).
    void DeleteTemporaryFile();

    const std::string& Path() const { return path_; }
    const std::string& TemporaryFile() const { return temporaryFile_; }
    // The folder this box unpacks into (made on first use, owner-only); empty before that.
    const std::string& PrivateDirectory() const { return privateDirectory_; }

  private:
    // These two return 0 or the system's error number.
    int MakePrivateDirectory(const std::string& root);
    int WriteIntoPrivateDirectory(const std::string& fileName, const unsigned char* data, int size);
    void RemovePrivateDirectory();
    // Whether the folder's path, a slash and the file name take at most longestPath characters.
    bool FitsInPrivateDirectory(const std::string& fileName, std::size_t longestPath) const;
    bool LookupInPack(const std::string& name, std::string& path, std::size_t longestPath);
    bool WriteTemporaryFile(const std::string& fileName, const unsigned char* data, int size,
                            std::size_t longestPath);

    std::string path_;
    std::string temporaryFile_;
    std::string privateDirectory_;
};

// The data box (everything loaded into memory) and the music box (music and movies, streamed
// while they play). Both delete their temporary files when the program ends.
extern VelShoeBox __g_ShoeBox_Data;
extern VelShoeBox __g_ShoeBox_Media;

// Points the data box and then the music box at new packs, telling each on standard output
// (or on the stream SetShoeBoxDiagnostics chose).
void SetShoeBoxes(const std::string& dataPack, const std::string& musicPack);
// Where SetShoeBoxes tells the new packs; null restores standard output. A program whose
// trace goes to standard output sends them to standard error, so the trace holds trace
// lines only.
void SetShoeBoxDiagnostics(std::FILE* stream);

// Where a box says, once a run, that a folder could not hold the unpacked media (one sentence,
// naming the folder and the reason). Standard error unless set; null restores that.
// A new reporter has been told nothing yet.
using ShoeBoxReporter = void (*)(const std::string& sentence);
void SetShoeBoxReporter(ShoeBoxReporter reporter);

// Removes the unpacking folders that runs of this user left behind when they were killed
// outright (their process is gone), from $TMPDIR and /tmp.
void RemoveStaleUnpackFolders();
