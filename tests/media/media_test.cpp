// Tests of the media pack: LZO blocks, the pack directory reader and its name match, the media
// boxes with their temporary files, the lookup on the runtime's strings and the kvpack tool.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "commands/MediaLookup.h"
#include "media/MediaPack.h"
#include "media/VelCompression.h"
#include "media/VelShoeBox.h"
#include "tests/support/TestFolder.h"

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) b = uint8_t(rng());
    return out;
}

Bytes PackBlock(const Bytes& raw) {
    VelCompression c;
    c.mode = VelCompression::kModeLzo;
    const int n = c.Pack(raw.data(), long(raw.size()));
    return Bytes(c.Result(), c.Result() + n);
}

void AppendInt32(Bytes& out, int32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(uint32_t(value) >> shift));
}

void AppendEntry(Bytes& dir, const std::string& name, int32_t offset, int32_t size) {
    dir.push_back(uint8_t(name.size()));
    dir.insert(dir.end(), name.begin(), name.end());
    AppendInt32(dir, offset);
    AppendInt32(dir, size);
}

// Appends the directory bytes `dir` and, as the file's last 4 bytes, the position they start at.
void AppendDirectory(Bytes& file, const Bytes& dir) {
    const int32_t position = int32_t(file.size());
    file.insert(file.end(), dir.begin(), dir.end());
    AppendInt32(file, position);
}

// A whole pack file: `prefix` followed by a tail holding the named contents.
Bytes MakePack(const std::vector<std::pair<std::string, Bytes>>& entries, bool countFromEnd,
               const Bytes& prefix = {}) {
    std::vector<PackInput> inputs;
    for (const auto& [name, raw] : entries) inputs.push_back({name, PackBlock(raw)});
    Bytes tail;
    std::string error;
    EXPECT_TRUE(BuildPackTail(inputs, int64_t(prefix.size()), countFromEnd, tail, error)) << error;
    Bytes file = prefix;
    file.insert(file.end(), tail.begin(), tail.end());
    return file;
}

// The name of the entry the lookup rule picks in a pack held in memory, or "-" for none.
std::string Pick(const Bytes& file, const std::string& requested) {
    MemoryPackSource source(file.data(), int64_t(file.size()));
    PackEntry entry;
    return FindPackEntry(source, requested, entry) ? entry.name : "-";
}

// The unpacked content of the entry answering `requested`, or "<none>" when it is not found
// or cannot be read.
std::string Content(const Bytes& file, const std::string& requested) {
    MemoryPackSource source(file.data(), int64_t(file.size()));
    PackEntry entry;
    Bytes block;
    if (!FindPackEntry(source, requested, entry) || !ReadPackEntryData(source, entry, block)) {
        return "<none>";
    }
    VelCompression c;
    c.mode = VelCompression::kModeLzo;
    c.UnPack(block.data(), int(block.size()));
    if (c.Damaged()) return "<damaged>";
    return std::string(c.Result(), c.Result() + c.ResultLength());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

int CountFiles(const std::string& dir) {
    int n = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir)) n += e.is_regular_file() ? 1 : 0;
    return n;
}

int CountEntries(const std::string& dir) {
    return int(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// The shared command runner, with the output kept in the caller's variable.
int RunCommand(const std::string& command, std::string& output) {
    CommandResult result = ::RunCommand(command);
    output = result.output;
    return result.exitCode;
}

uint32_t Fnv(const std::string& data) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : data) hash = (hash ^ c) * 16777619u;
    return hash;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// LZO blocks

TEST(Compression, PackThenUnpackReturnsTheInput) {
    const std::vector<Bytes> inputs = {ToBytes("x"),
                                       ToBytes("BM tile tile tile tile tile tile tile"),
                                       RandomBytes(70000, 1), Bytes(1 << 20, 0x42)};
    for (const Bytes& raw : inputs) {
        const Bytes block = PackBlock(raw);
        ASSERT_GE(block.size(), 4u);
        const uint32_t header =
            block[0] | block[1] << 8 | block[2] << 16 | uint32_t(block[3]) << 24;
        EXPECT_EQ(header, raw.size());
        VelCompression c;
        c.mode = VelCompression::kModeLzo;
        EXPECT_EQ(c.UnPack(block.data(), int(block.size())), int(raw.size()));
        EXPECT_FALSE(c.Damaged());
        EXPECT_EQ(Bytes(c.Result(), c.Result() + c.ResultLength()), raw);
    }
}

TEST(Compression, EmptyInputPacksToZeroHeaderAndUnpacksEmpty) {
    const Bytes block = PackBlock({});
    ASSERT_GE(block.size(), 4u);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 4), Bytes(4, 0));
    VelCompression c;
    c.mode = VelCompression::kModeLzo;
    EXPECT_EQ(c.UnPack(block.data(), int(block.size())), 0);
    EXPECT_FALSE(c.Damaged());
    EXPECT_EQ(c.ResultLength(), 0);
}

TEST(Compression, LongestRunsStillUnpackUnderTheExpansionBound) {
    // Equal bytes compress hardest; the bound on announced lengths must let them through.
    const Bytes raw(16 << 20, 0);
    const Bytes block = PackBlock(raw);
    EXPECT_LE(int64_t(raw.size()), VelCompression::MaxExpansion(int64_t(block.size()) - 4));
    VelCompression c;
    c.mode = VelCompression::kModeLzo;
    EXPECT_EQ(c.UnPack(block.data(), int(block.size())), int(raw.size()));
}

TEST(CompressionNegative, StoredLengthSmallerThanTheDataFails) {
    Bytes block = PackBlock(ToBytes("some bytes that are longer than ten"));
    block[0] = 10;
    VelCompression c;
    c.mode = VelCompression::kModeLzo;
    EXPECT_EQ(c.UnPack(block.data(), int(block.size())), 0);
    EXPECT_TRUE(c.Damaged());
    EXPECT_LE(c.ResultLength(), 10);
}

// The other way round: a stream that ends before the announced length is a block cut
// short, not a shorter file.
TEST(CompressionNegative, StoredLengthLargerThanTheDataFails) {
    for (const Bytes& raw : {ToBytes("abc"), RandomBytes(3000, 3)}) {
        Bytes block = PackBlock(raw);
        const uint32_t announced = uint32_t(raw.size()) + 197;
        for (int i = 0; i < 4; ++i) block[i] = uint8_t(announced >> (8 * i));
        VelCompression c;
        c.mode = VelCompression::kModeLzo;
        EXPECT_EQ(c.UnPack(block.data(), int(block.size())), 0) << raw.size();
        EXPECT_TRUE(c.Damaged());
        EXPECT_EQ(c.ResultLength(), int(raw.size()));  // what the decoder produced
    }
    // In a pack, such an entry is damaged and answers no name.
    Bytes block = PackBlock(ToBytes("abc"));
    block[0] = 200;
    Bytes file = block, dir;
    AppendEntry(dir, "a.bmp", 0, int32_t(block.size()));
    dir.push_back(0);
    AppendDirectory(file, dir);
    EXPECT_EQ(Content(file, "a.bmp"), "<damaged>");
}

TEST(CompressionNegative, AbsurdStoredLengthFailsWithoutAllocating) {
    Bytes block = PackBlock(ToBytes("tiny"));
    block.resize(20, 0);
    for (int i = 0; i < 4; ++i) block[i] = 0xff;  // 4 GiB announced by a 20-byte block
    VelCompression c;
    c.mode = VelCompression::kModeLzo;
    EXPECT_EQ(c.UnPack(block.data(), int(block.size())), 0);
    EXPECT_TRUE(c.Damaged());
    EXPECT_EQ(c.Result(), nullptr);
    // Just above what 16 stream bytes can produce: refused as well.
    const int64_t over = VelCompression::MaxExpansion(16) + 1;
    for (int i = 0; i < 4; ++i) block[i] = uint8_t(over >> (8 * i));
    EXPECT_EQ(c.UnPack(block.data(), int(block.size())), 0);
    EXPECT_EQ(c.Result(), nullptr);
}

TEST(CompressionNegative, DamagedBlocksFail) {
    const Bytes good = PackBlock(RandomBytes(5000, 2));
    VelCompression c;
    c.mode = VelCompression::kModeLzo;
    Bytes cut(good.begin(), good.end() - 10);
    EXPECT_EQ(c.UnPack(cut.data(), int(cut.size())), 0);
    EXPECT_TRUE(c.Damaged());
    Bytes trailing = good;
    trailing.push_back(0x55);
    EXPECT_EQ(c.UnPack(trailing.data(), int(trailing.size())), 0);
    EXPECT_TRUE(c.Damaged());
    EXPECT_EQ(c.UnPack(good.data(), 3), 0);  // not even a header
    EXPECT_TRUE(c.Damaged());
    VelCompression otherMode;  // the mode is never chosen for the user
    EXPECT_EQ(otherMode.UnPack(good.data(), int(good.size())), 0);
    EXPECT_EQ(otherMode.Pack(good.data(), long(good.size())), 0);
}

// ---------------------------------------------------------------------------------------------
// Pack directory and name match

TEST(PackDirectory, NameMatchIsACaseBlindSuffixMatch) {
    const Bytes pack = MakePack({{"tile.bmp", ToBytes("T")}, {"music.wav", ToBytes("M")}}, false);
    EXPECT_EQ(Pick(pack, "tile.bmp"), "tile.bmp");
    EXPECT_EQ(Pick(pack, "DATA/Tile.BMP"), "tile.bmp");
    EXPECT_EQ(Pick(pack, "media\\TILE.bmp"), "tile.bmp");
    EXPECT_EQ(Pick(pack, "bigtile.bmp"), "tile.bmp");
    EXPECT_EQ(Pick(pack, "ile.bmp"), "-");  // an entry longer than the name never answers
    EXPECT_EQ(Pick(pack, "tile.bm"), "-");
    EXPECT_EQ(Pick(pack, ""), "-");
    EXPECT_EQ(Content(pack, "x/MUSIC.WAV"), "M");
}

TEST(PackDirectory, FirstMatchingEntryIsTaken) {
    const Bytes shortFirst =
        MakePack({{"tile.bmp", ToBytes("short")}, {"bigtile.bmp", ToBytes("long")}}, false);
    EXPECT_EQ(Content(shortFirst, "bigtile.bmp"), "short");
    const Bytes longFirst =
        MakePack({{"bigtile.bmp", ToBytes("long")}, {"tile.bmp", ToBytes("short")}}, false);
    EXPECT_EQ(Content(longFirst, "bigtile.bmp"), "long");
    EXPECT_EQ(Content(longFirst, "tile.bmp"), "short");
}

TEST(PackDirectory, EntriesNamedWithANulByteAreSkipped) {
    Bytes file;
    const Bytes blank = PackBlock(ToBytes("blank"));
    const Bytes real = PackBlock(ToBytes("real"));
    file.insert(file.end(), blank.begin(), blank.end());
    file.insert(file.end(), real.begin(), real.end());
    Bytes dir;
    AppendEntry(dir, std::string("\0ile.bmp", 8), 0, int32_t(blank.size()));
    AppendEntry(dir, "tile.bmp", int32_t(blank.size()), int32_t(real.size()));
    dir.push_back(0);
    AppendDirectory(file, dir);
    EXPECT_EQ(Content(file, "tile.bmp"), "real");
    EXPECT_EQ(Pick(file, "anything"), "-");
}

TEST(PackDirectory, NegativeDirectoryPositionCountsFromTheEnd) {
    // Some program bytes, one entry, then the directory exactly 100 bytes before the end.
    Bytes file = RandomBytes(333, 3);
    const Bytes block = PackBlock(ToBytes("from the end"));
    const size_t dataAt = file.size();
    file.insert(file.end(), block.begin(), block.end());
    const int64_t finalSize = int64_t(file.size()) + 100;
    Bytes dir;
    AppendEntry(dir, "tile.bmp", int32_t(int64_t(dataAt) - finalSize), int32_t(block.size()));
    dir.push_back(0);
    dir.resize(96, 0xEE);  // filler after the end marker is never read as entries
    file.insert(file.end(), dir.begin(), dir.end());
    AppendInt32(file, -100);
    ASSERT_EQ(int64_t(file.size()), finalSize);
    EXPECT_EQ(Content(file, "DATA/TILE.BMP"), "from the end");
    // The same tail after other leading bytes still works: nothing counts from the start.
    Bytes moved = RandomBytes(5000, 4);
    moved.insert(moved.end(), file.begin() + 333, file.end());
    EXPECT_EQ(Content(moved, "tile.bmp"), "from the end");
}

TEST(PackDirectoryNegative, PositionsOutsideTheFileAreNotFound) {
    const Bytes block = PackBlock(ToBytes("data"));
    auto fileWith = [&](int32_t offset, int32_t size) {
        Bytes file = block;
        Bytes dir;
        AppendEntry(dir, "a.bmp", offset, size);
        dir.push_back(0);
        AppendDirectory(file, dir);
        return file;
    };
    const int32_t n = int32_t(block.size());
    EXPECT_EQ(Content(fileWith(0, n), "a.bmp"), "data");  // the well-formed one
    EXPECT_EQ(Content(fileWith(0, -1), "a.bmp"), "<none>");
    EXPECT_EQ(Content(fileWith(-5, n), "a.bmp"), "<none>");
    EXPECT_EQ(Content(fileWith(1 << 30, n), "a.bmp"), "<none>");
    EXPECT_EQ(Content(fileWith(10, INT32_MAX), "a.bmp"), "<none>");
    EXPECT_EQ(Content(fileWith(0, 2), "a.bmp"), "<damaged>");  // shorter than a header
    EXPECT_EQ(Content(fileWith(1, n - 1), "a.bmp"), "<damaged>");

    Bytes file = fileWith(0, n);
    for (int32_t d : {int32_t(file.size()) + 1, INT32_MAX, -int32_t(file.size()) - 1, INT32_MIN}) {
        Bytes bad(file.begin(), file.end() - 4);
        AppendInt32(bad, d);
        EXPECT_EQ(Pick(bad, "a.bmp"), "-") << d;
    }
    EXPECT_EQ(Pick(Bytes{1, 2, 3}, "a.bmp"), "-");
    EXPECT_EQ(Pick(Bytes{}, "a.bmp"), "-");
}

TEST(PackDirectoryNegative, DirectoryRunningOffTheEndStopsCleanly) {
    Bytes file = PackBlock(ToBytes("first"));
    const int32_t firstSize = int32_t(file.size());
    Bytes dir;
    AppendEntry(dir, "first.bmp", 0, firstSize);
    dir.push_back(200);  // a name of 200 bytes announced, a few bytes present
    dir.insert(dir.end(), {'a', 'b', 'c'});
    AppendDirectory(file, dir);
    EXPECT_EQ(Content(file, "first.bmp"), "first");  // entries before the cut still answer
    EXPECT_EQ(Pick(file, "other.bmp"), "-");
}

TEST(PackDirectory, UnpackedFileNamesStayPlainFileNames) {
    PackEntry entry;
    entry.name = "tile.bmp";
    entry.offset = -1000;
    entry.size = 0xab;
    EXPECT_EQ(UnpackedFileName(entry), "~sbxFFFFFC18abtile.bmp");
    entry.offset = 0x1f;
    entry.name = "../../home/x";
    EXPECT_EQ(UnpackedFileName(entry), "~sbx1Fab.._.._home_x");
    entry.name = "a\\b/c\n.wav";
    EXPECT_EQ(UnpackedFileName(entry),
              "~sbx1Fab"
              "a_b_c_.wav");
    entry.name = std::string(250, 'n') + ".wav";
    const std::string longName = UnpackedFileName(entry);
    EXPECT_EQ(longName.size(), 255u);
    EXPECT_EQ(longName.substr(longName.size() - 4), ".wav");
}

TEST(PackBuilderNegative, BadNamesAndSizesAreRefused) {
    Bytes tail;
    std::string error;
    EXPECT_FALSE(BuildPackTail({{"", ToBytes("x")}}, 0, false, tail, error));
    EXPECT_FALSE(BuildPackTail({{std::string(256, 'a'), ToBytes("x")}}, 0, false, tail, error));
    EXPECT_FALSE(BuildPackTail({{"a", ToBytes("x")}}, INT32_MAX - 5, false, tail, error));
    EXPECT_TRUE(BuildPackTail({{"a", ToBytes("x")}}, INT32_MAX - 5, true, tail, error));
    EXPECT_FALSE(error.empty());
}

// ---------------------------------------------------------------------------------------------
// Media boxes on disk

class MediaBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = getenv("TMPDIR");
        if (old != nullptr) oldTmp_ = old;
        hadTmp_ = old != nullptr;
        ASSERT_TRUE(folder_.Made());
        root_ = folder_.Path();
        tmp_ = root_ + "/tmp";
        work_ = root_ + "/work";
        fs::create_directories(tmp_);
        fs::create_directories(work_);
        setenv("TMPDIR", tmp_.c_str(), 1);
    }
    void TearDown() override {
        if (hadTmp_)
            setenv("TMPDIR", oldTmp_.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    std::string WritePack(const std::vector<std::pair<std::string, Bytes>>& entries,
                          bool countFromEnd = false, const std::string& name = "media.pak") {
        const std::string path = work_ + "/" + name;
        WriteFile(path,
                  MakePack(entries, countFromEnd, countFromEnd ? RandomBytes(999, 5) : Bytes{}));
        return path;
    }

    TestFolder folder_{"kvmedia-test"};
    std::string root_, tmp_, work_, oldTmp_;
    bool hadTmp_ = false;
};

TEST_F(MediaBoxTest, EntryIsUnpackedIntoAPrivateFolder) {
    const Bytes bitmap = RandomBytes(3072, 6);
    VelShoeBox box;
    box.SetPath(WritePack({{"tile.bmp", bitmap}}, true));
    std::string path;
    ASSERT_TRUE(box.Lookup("gfx/Tile.bmp", path));
    EXPECT_EQ(ReadFile(path), std::string(bitmap.begin(), bitmap.end()));
    EXPECT_EQ(path, box.TemporaryFile());
    EXPECT_EQ(fs::path(path).parent_path().string(), box.PrivateDirectory());
    EXPECT_EQ(fs::path(box.PrivateDirectory()).parent_path().string(), tmp_);
    EXPECT_EQ(fs::path(path).filename().string().rfind("~sbx", 0), 0u);
    EXPECT_EQ(
        fs::path(path).filename().string().substr(fs::path(path).filename().string().size() - 8),
        "tile.bmp");
    struct stat info;
    ASSERT_EQ(stat(box.PrivateDirectory().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u);
    box.Clear();
    EXPECT_EQ(CountEntries(tmp_), 0);
    EXPECT_TRUE(box.Path().empty());
}

TEST_F(MediaBoxTest, LooseFileWinsOverThePack) {
    VelShoeBox box;
    box.SetPath(WritePack({{"tile.bmp", ToBytes("packed")}}));
    const std::string loose = work_ + "/tile.bmp";
    WriteFile(loose, ToBytes("loose"));
    std::string path;
    ASSERT_TRUE(box.Lookup(loose, path));
    EXPECT_EQ(path, loose);
    EXPECT_TRUE(box.TemporaryFile().empty());
    EXPECT_EQ(CountFiles(tmp_), 0);
    // A folder of that name is no file: the pack answers.
    fs::create_directories(work_ + "/dir/tile.bmp");
    ASSERT_TRUE(box.Lookup(work_ + "/dir/tile.bmp", path));
    EXPECT_EQ(ReadFile(path), "packed");
}

TEST_F(MediaBoxTest, OnlyTheLastUnpackedFileExists) {
    VelShoeBox box;
    box.SetPath(WritePack({{"a.bmp", ToBytes("A")}, {"b.bmp", ToBytes("B")}}));
    std::string first, second;
    ASSERT_TRUE(box.Lookup("a.bmp", first));
    ASSERT_TRUE(box.Lookup("b.bmp", second));
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(ReadFile(second), "B");
    EXPECT_EQ(CountFiles(tmp_), 1);
    // The same entry twice in a row is unpacked afresh, not refused as existing.
    ASSERT_TRUE(box.Lookup("b.bmp", second));
    EXPECT_EQ(ReadFile(second), "B");
    // A failed lookup deletes the previous file as well.
    EXPECT_FALSE(box.Lookup("c.bmp", second));
    EXPECT_TRUE(second.empty());
    EXPECT_EQ(CountFiles(tmp_), 0);
}

TEST_F(MediaBoxTest, TwoBoxesNeverShareAFile) {
    const std::string pack = WritePack({{"song.wav", ToBytes("music")}});
    VelShoeBox data, music;
    data.SetPath(pack);
    music.SetPath(pack);
    std::string a, b;
    ASSERT_TRUE(music.Lookup("song.wav", a));
    ASSERT_TRUE(data.Lookup("song.wav", b));
    EXPECT_NE(a, b);
    data.Lookup("", b);
    EXPECT_EQ(ReadFile(a), "music");  // the music box's file survives the data box's clean-up
}

TEST_F(MediaBoxTest, FolderRemovedBehindTheBoxIsMadeAgain) {
    VelShoeBox box;
    box.SetPath(WritePack({{"a.bmp", ToBytes("A")}}));
    std::string path;
    ASSERT_TRUE(box.Lookup("a.bmp", path));
    const std::string first = box.PrivateDirectory();
    fs::remove_all(first);  // a temp cleaner at work
    ASSERT_TRUE(box.Lookup("a.bmp", path));
    EXPECT_EQ(ReadFile(path), "A");
    EXPECT_NE(box.PrivateDirectory(), first);
}

TEST_F(MediaBoxTest, HostileEntryNamesStayInsideThePrivateFolder) {
    VelShoeBox box;
    box.SetPath(WritePack({{"../../evil.bmp", ToBytes("1")},
                           {"a/b.bmp", ToBytes("2")},
                           {"/abs.bmp", ToBytes("3")},
                           {std::string(255, 'z'), ToBytes("4")}}));
    const std::vector<std::pair<std::string, std::string>> cases = {{"../../evil.bmp", "1"},
                                                                    {"x/a/b.bmp", "2"},
                                                                    {"q/abs.bmp", "3"},
                                                                    {std::string(255, 'z'), "4"}};
    for (const auto& [name, content] : cases) {
        std::string path;
        ASSERT_TRUE(box.Lookup(name, path)) << name;
        EXPECT_EQ(fs::path(path).parent_path().string(), box.PrivateDirectory()) << name;
        EXPECT_EQ(ReadFile(path), content);
        EXPECT_EQ(CountFiles(tmp_), 1);
        EXPECT_EQ(CountFiles(work_), 1);  // only the pack itself
    }
}

TEST_F(MediaBoxTest, PlantedLinkIsNeverFollowed) {
    VelShoeBox box;
    box.SetPath(WritePack({{"a.bmp", ToBytes("A")}}));
    std::string path;
    ASSERT_TRUE(box.Lookup("a.bmp", path));
    box.DeleteTemporaryFile();
    const std::string victim = work_ + "/victim";
    WriteFile(victim, ToBytes("keep"));
    fs::create_symlink(victim, path);
    EXPECT_FALSE(box.Lookup("a.bmp", path));
    EXPECT_EQ(ReadFile(victim), "keep");
}

TEST_F(MediaBoxTest, FifoDeviceOrFolderOfTheNameIsNoFile) {
    // Not regular files: the lookup goes on to the pack as for a missing file, at once.
    ASSERT_EQ(mkfifo((work_ + "/a.bmp").c_str(), 0600), 0);
    fs::create_directory(work_ + "/b.bmp");
    VelShoeBox box;
    std::string path;
    for (const std::string& name : {work_ + "/a.bmp", work_ + "/b.bmp", std::string("/dev/zero")}) {
        EXPECT_FALSE(box.Lookup(name, path)) << name;
    }
    box.SetPath(WritePack({{"a.bmp", ToBytes("packed a")}, {"zero", ToBytes("packed zero")}}));
    ASSERT_TRUE(box.Lookup(work_ + "/a.bmp", path));
    EXPECT_EQ(ReadFile(path), "packed a");
    ASSERT_TRUE(box.Lookup("/dev/zero", path));
    EXPECT_EQ(ReadFile(path), "packed zero");
}

namespace {
// The sentences a box says about its unpacking folder.
std::vector<std::string> g_told;
void Tell(const std::string& sentence) { g_told.push_back(sentence); }
}  // namespace

TEST_F(MediaBoxTest, BrokenTemporaryFolderFallsBackToTmpAndSaysSoOnce) {
    const std::string missing = root_ + "/missing";
    setenv("TMPDIR", missing.c_str(), 1);
    g_told.clear();
    SetShoeBoxReporter(Tell);
    VelShoeBox data, music;
    data.SetPath(WritePack({{"a.bmp", ToBytes("A")}}));
    music.SetPath(WritePack({{"b.wav", ToBytes("B")}}, false, "music.pak"));
    std::string path;
    ASSERT_TRUE(data.Lookup("a.bmp", path));
    EXPECT_EQ(ReadFile(path), "A");
    EXPECT_EQ(fs::path(data.PrivateDirectory()).parent_path().string(), "/tmp");
    ASSERT_TRUE(music.Lookup("b.wav", path));
    ASSERT_TRUE(data.Lookup("a.bmp", path));
    SetShoeBoxReporter(nullptr);
    ASSERT_EQ(g_told.size(), 1u);
    EXPECT_EQ(g_told[0], "The temporary folder " + missing +
                             " cannot hold the unpacked media (No such file or directory), so they "
                             "go to /tmp instead.");
    const std::string folder = data.PrivateDirectory();
    data.Clear();
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(MediaBoxTest, StaleFoldersOfGoneProcessesAreRemoved) {
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    ASSERT_GT(gone, 0);
    waitpid(gone, nullptr, 0);
    const std::string prefix = tmp_ + "/kvmedia-";
    const std::string stale = prefix + std::to_string(gone) + "-aB3dE5";
    fs::create_directory(stale);
    WriteFile(stale + "/~sbx10a1.bmp", ToBytes("x"));
    const std::string victim = work_ + "/victim";
    WriteFile(victim, ToBytes("keep"));
    fs::create_symlink(victim, stale + "/link");
    // Kept: a live process's folder (process 1 and this one), another user's folder of a
    // gone process, names that are no box's, and a link of a box's name.
    const std::vector<std::string> kept = {
        prefix + "1-aB3dE5",       prefix + std::to_string(getpid()) + "-aB3dE5",
        prefix + "x1-aB3dE5",      prefix + std::to_string(gone) + "-short",
        prefix + std::to_string(gone) + "-aB3dE5x"};
    for (const std::string& folder : kept) fs::create_directory(folder);
    const std::string foreign = prefix + std::to_string(gone) + "-fOrEiG";
    fs::create_directory(foreign);
    ASSERT_EQ(chown(foreign.c_str(), geteuid() + 1, getegid()) == 0, geteuid() == 0);
    fs::create_directory_symlink(work_, prefix + std::to_string(gone) + "-LiNkEd");
    RemoveStaleUnpackFolders();
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_EQ(ReadFile(victim), "keep");
    for (const std::string& folder : kept) EXPECT_TRUE(fs::exists(folder)) << folder;
    EXPECT_TRUE(fs::exists(foreign));
    EXPECT_TRUE(fs::is_symlink(prefix + std::to_string(gone) + "-LiNkEd"));
    EXPECT_TRUE(fs::exists(work_ + "/victim"));
}

TEST_F(MediaBoxTest, NothingToFindIsNotFound) {
    VelShoeBox box;
    std::string path = "x";
    EXPECT_FALSE(box.Lookup("a.bmp", path));  // no pack named
    EXPECT_TRUE(path.empty());
    box.SetPath(work_ + "/missing.pak");
    EXPECT_FALSE(box.Lookup("a.bmp", path));
    box.SetPath(WritePack({{"a.bmp", ToBytes("A")}}));
    EXPECT_FALSE(box.Lookup("", path));
    EXPECT_FALSE(box.Lookup("b.bmp", path));
    // An executable with no pack appended.
    box.SetPath("/proc/self/exe");
    EXPECT_FALSE(box.Lookup("a.bmp", path));
    EXPECT_EQ(CountFiles(tmp_), 0);
}

TEST_F(MediaBoxTest, DamagedEntryIsNotFoundAndLeavesNoFile) {
    Bytes file = MakePack({{"a.bmp", RandomBytes(4000, 7)}}, false);
    file[10] ^= 0xff;
    file[11] ^= 0x55;
    file[40] = 0;
    WriteFile(work_ + "/bad.pak", file);
    VelShoeBox box;
    box.SetPath(work_ + "/bad.pak");
    std::string path;
    EXPECT_FALSE(box.Lookup("a.bmp", path));
    EXPECT_EQ(CountFiles(tmp_), 0);
}

TEST_F(MediaBoxTest, SetShoeBoxesTellsAndForgetsOldFiles) {
    const std::string pack = WritePack({{"a.bmp", ToBytes("A")}});
    testing::internal::CaptureStdout();
    SetShoeBoxes(pack, "");
    std::string path;
    ASSERT_TRUE(__g_ShoeBox_Data.Lookup("a.bmp", path));
    EXPECT_FALSE(__g_ShoeBox_Media.Lookup("a.bmp", path));
    SETSHOEBOX(KvStr(""), KvStr(pack.c_str()));
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said, "Setting box:" + pack + "\nSetting box:\n" +
                        "Setting box:\nSetting box:" + pack + "\n");
    EXPECT_EQ(CountFiles(tmp_), 0);
    EXPECT_TRUE(__g_ShoeBox_Data.Path().empty());
    EXPECT_EQ(__g_ShoeBox_Media.Path(), pack);
    SetShoeBoxes("", "");
}

TEST_F(MediaBoxTest, MediaLookupOnRuntimeStrings) {
    VelShoeBox box;
    box.SetPath(WritePack({{"font.bmp", ToBytes("F")}}));
    KvStr name("gfx\\Font.BMP");
    ASSERT_TRUE(MediaLookup(name, box));
    EXPECT_EQ(std::string(name.GetStrData()), box.TemporaryFile());
    EXPECT_EQ(ReadFile(name.GetStrData()), "F");
    KvStr missing("nothing.bmp");
    EXPECT_FALSE(MediaLookup(missing, box));
    EXPECT_EQ(missing.Length(), 0);
    // A loose file whose name the string cannot hold is not found.
    KvStr tooLong((std::string(1100, 'x') + ".bmp").c_str());
    EXPECT_FALSE(MediaLookup(tooLong, box));
}

TEST_F(MediaBoxTest, TemporaryFolderTooDeepForTheStringsFallsBackToTmpAndSaysSo) {
    // About 1100 characters: the folder can be made, but the unpacked file's path would not
    // fit a runtime string. The media go to /tmp instead, and the person is told once.
    std::string deep = tmp_;
    for (int i = 0; i < 5; ++i) deep += "/" + std::string(220, 'd');
    fs::create_directories(deep);
    setenv("TMPDIR", deep.c_str(), 1);
    g_told.clear();
    SetShoeBoxReporter(Tell);
    VelShoeBox box;
    box.SetPath(WritePack({{"font.bmp", ToBytes("F")}, {"tile.bmp", ToBytes("T")}}));
    KvStr name("font.bmp");
    ASSERT_TRUE(MediaLookup(name, box));
    EXPECT_EQ(ReadFile(name.GetStrData()), "F");
    EXPECT_EQ(fs::path(box.PrivateDirectory()).parent_path().string(), "/tmp");
    KvStr other("tile.bmp");
    ASSERT_TRUE(MediaLookup(other, box));
    EXPECT_EQ(ReadFile(other.GetStrData()), "T");
    SetShoeBoxReporter(nullptr);
    ASSERT_EQ(g_told.size(), 1u);
    EXPECT_EQ(g_told[0], "The temporary folder " + deep +
                             " cannot hold the unpacked media (File name too long), so they go "
                             "to /tmp instead.");
    EXPECT_EQ(CountEntries(deep), 0);  // nothing left in the deep folder
    const std::string folder = box.PrivateDirectory();
    box.Clear();
    EXPECT_FALSE(fs::exists(folder));
}

// ---------------------------------------------------------------------------------------------
// Whole programs: clean-up at exit, a pack appended to an executable, the kvpack tool

TEST_F(MediaBoxTest, ProgramLeavesNoTemporaryFileBehind) {
    const std::string pack = WritePack({{"one.bmp", ToBytes("1")}, {"two.bmp", ToBytes("2")}});
    std::string out;
    ASSERT_EQ(RunCommand(std::string(LOOKUP_HELPER_PATH) + " " + pack + " one.bmp two.bmp", out), 0)
        << out;
    EXPECT_NE(out.find("Setting box:" + pack), std::string::npos) << out;
    EXPECT_NE(out.find("previous gone"), std::string::npos) << out;
    EXPECT_EQ(out.find("missing"), std::string::npos) << out;
    EXPECT_EQ(CountEntries(tmp_), 0) << out;
}

TEST_F(MediaBoxTest, PackAppendedToAnExecutableIsFound) {
    const std::string exe = work_ + "/game";
    fs::copy_file(LOOKUP_HELPER_PATH, exe);
    const Bytes wav = RandomBytes(50000, 8);
    WriteFile(work_ + "/tile.bmp", ToBytes("bitmap"));
    WriteFile(work_ + "/shot.wav", wav);
    std::string out;
    ASSERT_EQ(RunCommand(std::string(KVPACK_PATH) + " append " + exe + " " + work_ + "/tile.bmp " +
                             work_ + "/shot.wav",
                         out),
              0)
        << out;
    fs::remove(work_ + "/tile.bmp");
    fs::remove(work_ + "/shot.wav");
    ASSERT_EQ(RunCommand(exe + " self DATA/TILE.bmp sfx/shot.wav nothing.wav", out), 0) << out;
    EXPECT_NE(out.find(" " + std::to_string(Fnv("bitmap")) + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find(" " + std::to_string(Fnv(std::string(wav.begin(), wav.end()))) + "\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("missing []"), std::string::npos) << out;
    EXPECT_EQ(CountEntries(tmp_), 0) << out;
}

TEST_F(MediaBoxTest, KvpackCreateListExtractRoundTrip) {
    const std::string kvpack = KVPACK_PATH;
    const Bytes big = RandomBytes(20000, 9);
    WriteFile(work_ + "/tile.bmp", ToBytes("small tile"));
    WriteFile(work_ + "/bigtile.bmp", big);
    const std::string pack = work_ + "/out.pak";
    std::string out;
    // The shorter name is given first; both entries must stay reachable by their own names.
    ASSERT_EQ(
        RunCommand(kvpack + " create " + pack + " " + work_ + "/tile.bmp " + work_ + "/bigtile.bmp",
                   out),
        0)
        << out;
    ASSERT_EQ(RunCommand(kvpack + " list " + pack, out), 0) << out;
    EXPECT_NE(out.find("tile.bmp"), std::string::npos);
    EXPECT_NE(out.find("bigtile.bmp"), std::string::npos);
    EXPECT_NE(out.find("20000"), std::string::npos);
    ASSERT_EQ(RunCommand(kvpack + " extract " + pack + " bigtile.bmp " + work_ + "/x1", out), 0)
        << out;
    EXPECT_EQ(ReadFile(work_ + "/x1"), std::string(big.begin(), big.end()));
    ASSERT_EQ(RunCommand(kvpack + " extract " + pack + " Tile.BMP " + work_ + "/x2", out), 0)
        << out;
    EXPECT_EQ(ReadFile(work_ + "/x2"), "small tile");
    // The runtime's reader sees the same pack.
    VelShoeBox box;
    box.SetPath(pack);
    std::string path;
    ASSERT_TRUE(box.Lookup("bigtile.bmp", path));
    EXPECT_EQ(ReadFile(path), std::string(big.begin(), big.end()));
}

TEST_F(MediaBoxTest, KvpackShowsHostileNamesEscaped) {
    // Entry names straight from a pack: a terminal must never see their control bytes.
    const std::string pack = WritePack({{"\x1b]0;owned\x07.bmp", ToBytes("1")},
                                        {"gr\xC3\xBCn\x9b" "2J.bmp", ToBytes("2")},
                                        {"back\\slash.bmp", ToBytes("3")}});
    std::string out;
    ASSERT_EQ(RunCommand(std::string(KVPACK_PATH) + " list " + pack, out), 0) << out;
    EXPECT_EQ(out.find('\x1b'), std::string::npos);
    EXPECT_EQ(out.find('\x07'), std::string::npos);
    EXPECT_EQ(out.find('\x9b'), std::string::npos);
    EXPECT_NE(out.find("  \\x1B]0;owned\\x07.bmp\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  gr\xC3\xBCn\\x9B2J.bmp\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  back\\\\slash.bmp\n"), std::string::npos) << out;
    EXPECT_EQ(RunCommand(std::string(KVPACK_PATH) + " extract " + pack + " \"$(printf '\\033[2J')\" " + work_ +
                             "/o",
                         out),
              1);
    EXPECT_EQ(out, "kvpack: \\x1B[2J: not in " + pack + "\n");
}

TEST_F(MediaBoxTest, KvpackRefusesBadCommands) {
    const std::string kvpack = KVPACK_PATH;
    std::string out;
    EXPECT_EQ(RunCommand(kvpack, out), 2);
    EXPECT_NE(out.find("usage:"), std::string::npos);
    EXPECT_EQ(RunCommand(kvpack + " create " + work_ + "/p.pak", out), 2);
    EXPECT_EQ(RunCommand(kvpack + " frobnicate x y", out), 2);
    EXPECT_EQ(RunCommand(kvpack + " create " + work_ + "/p.pak " + work_ + "/absent.bmp", out), 1);
    EXPECT_NE(out.find("absent.bmp"), std::string::npos);
    EXPECT_FALSE(fs::exists(work_ + "/p.pak"));
    WriteFile(work_ + "/a.bmp", ToBytes("a"));
    fs::create_directories(work_ + "/sub");
    WriteFile(work_ + "/sub/A.BMP", ToBytes("b"));
    EXPECT_EQ(RunCommand(kvpack + " create " + work_ + "/p.pak " + work_ + "/a.bmp " + work_ +
                             "/sub/A.BMP",
                         out),
              1);
    EXPECT_NE(out.find("two files named"), std::string::npos) << out;
    EXPECT_EQ(RunCommand(kvpack + " append " + work_ + "/nofile " + work_ + "/a.bmp", out), 1);
    EXPECT_FALSE(fs::exists(work_ + "/nofile"));
    ASSERT_EQ(RunCommand(kvpack + " create " + work_ + "/p.pak " + work_ + "/a.bmp", out), 0)
        << out;
    EXPECT_EQ(RunCommand(kvpack + " extract " + work_ + "/p.pak b.bmp " + work_ + "/o", out), 1);
    EXPECT_FALSE(fs::exists(work_ + "/o"));
    EXPECT_EQ(RunCommand(kvpack + " list " + work_ + "/a.bmp", out), 1);
}
