// The file commands: the line cache, listings, directories and shell commands.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "commands/ProgramFrame.h"
#include "commands/cmd_files.h"
#include "files/FastFile.h"
#include "tests/support/TestFolder.h"

namespace fs = std::filesystem;

namespace {
std::string Str(const KvStr& s) { return s.GetStrData(); }

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) { return ReadFileText(path.string()); }

// Every test works in a fresh folder of its own, which is the current directory.
class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        __g_FastFile.FillBuffer(nullptr);
        ASSERT_TRUE(made_.Made());
        folder_ = fs::path(made_.Path());
        previous_ = fs::current_path();
        fs::current_path(folder_);
        __g_error = 0;
    }
    void TearDown() override {
        __g_FastFile.FillBuffer(nullptr);
        fs::current_path(previous_);
    }
    // Names of the files in the folder, to see no temporary file was left.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    TestFolder made_{"kv_files"};
    fs::path folder_, previous_;
};

KvStr Get(const char* file, double line) {
    KvStr text = "unset";
    GETFILE(file, line, text);
    return text;
}
}  // namespace

TEST_F(FilesTest, ReadsLinesEndingInCrLfOrLf) {
    WriteFile("t.txt", "a\r\nb\n\n  \nlast");
    EXPECT_EQ(Str(Get("t.txt", 0)), "a");
    EXPECT_EQ(Str(Get("t.txt", 1)), "b");
    EXPECT_EQ(Str(Get("t.txt", 2)), "NO_DATA");  // empty
    EXPECT_EQ(Str(Get("t.txt", 3)), "  ");       // only control bytes are trimmed
    EXPECT_EQ(Str(Get("t.txt", 4)), "last");
    EXPECT_EQ(Str(Get("t.txt", 5)), "NO_DATA");
    EXPECT_EQ(__g_FastFile.LastLine(), 4);
    EXPECT_EQ(__g_error, 0);
    WriteFile("n.txt", "3.5 apples\r\nx\r\n");
    double v = -1;
    GETFILE("n.txt", 0, v);
    EXPECT_EQ(v, 3.5);
    GETFILE("n.txt", 1, v);
    EXPECT_EQ(v, 0);
}

TEST_F(FilesTest, MissingFilesAndLinesOutOfRange) {
    EXPECT_EQ(Str(Get("missing.txt", 0)), "NO_FILE");
    double v = -1;
    GETFILE("missing.txt", 0, v);
    EXPECT_EQ(v, 0);
    WriteFile("t.txt", "a\n");
    EXPECT_EQ(Str(Get("t.txt", 256)), "NO_DATA");
    EXPECT_EQ(__g_error, 7);
    __g_error = 0;
    EXPECT_EQ(Str(Get("t.txt", -1)), "NO_DATA");
    EXPECT_EQ(__g_error, 7);
    __g_error = 0;
    // Numbers that wrap into 0..255 as 16 bits are still out of range.
    EXPECT_EQ(Str(Get("t.txt", 65536)), "NO_DATA");
    EXPECT_EQ(__g_error, 7);
    EXPECT_EQ(Str(Get("t.txt", 255)), "NO_DATA");
    EXPECT_EQ(Str(Get("t.txt", 0.9)), "a");
    // A folder is no text file.
    fs::create_directory("sub");
    EXPECT_EQ(Str(Get("sub", 0)), "NO_FILE");
}

TEST_F(FilesTest, PutPastTheEndThenSwitchWritesTheLinesBack) {
    WriteFile("x.txt", "one\r\ntwo\r\n");
    WriteFile("y.txt", "other\n");
    PUTFILE("x.txt", 5, "hi");
    EXPECT_EQ(ReadFile("x.txt"), "one\r\ntwo\r\n");  // only in the cache so far
    EXPECT_EQ(Str(Get("x.txt", 5)), "hi");
    EXPECT_EQ(Str(Get("y.txt", 0)), "other");
    EXPECT_EQ(ReadFile("x.txt"), "one\r\ntwo\r\n\r\n\r\n\r\nhi\r\n");
    EXPECT_EQ(ReadFile("y.txt"), "other\n");  // read only: left as it was
    PUTFILE("y.txt", 0, 2.5);
    __g_FastFile.FillBuffer(nullptr);
    EXPECT_EQ(ReadFile("y.txt"), "2.5\r\n");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x.txt", "y.txt"}));
}

TEST_F(FilesTest, PutOnAMissingFileCreatesNothing) {
    KvStr text = "hello";
    PUTFILE("nope.txt", 0, text);
    EXPECT_EQ(Str(text), "NO_FILE");
    EXPECT_EQ(__g_error, 3);
    __g_error = 0;
    WriteFile("t.txt", "a\n");
    KvStr line = "b";
    PUTFILE("t.txt", 300, line);
    EXPECT_EQ(__g_error, 7);
    EXPECT_EQ(Str(line), "b");
    __g_FastFile.FillBuffer(nullptr);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"t.txt"}));
    EXPECT_EQ(ReadFile("t.txt"), "a\n");
}

TEST_F(FilesTest, LongLinesAreCutAndLaterLinesKept) {
    std::string longLine(1500, 'x');
    std::string rest;
    for (int i = 1; i < 300; ++i) rest += "line" + std::to_string(i) + "\n";
    WriteFile("long.txt", longLine + "\r\n" + rest);
    KvStr first = Get("long.txt", 0);
    EXPECT_EQ(first.Length(), KvStr::kBufferSize - 1);
    EXPECT_EQ(Str(Get("long.txt", 1)), "line1");
    EXPECT_EQ(Str(Get("long.txt", 255)), "line255");
    EXPECT_EQ(__g_FastFile.LastLine(), 255);
    PUTFILE("long.txt", 1, "changed");
    __g_FastFile.FillBuffer(nullptr);
    std::string written = ReadFile("long.txt");
    std::string expected = std::string(1024, 'x') + "\r\nchanged\r\n";
    for (int i = 2; i < 256; ++i) expected += "line" + std::to_string(i) + "\r\n";
    for (int i = 256; i < 300; ++i) expected += "line" + std::to_string(i) + "\n";
    EXPECT_EQ(written, expected);
}

TEST_F(FilesTest, WriteBackKeepsModeAndLinks) {
    WriteFile("real.txt", "a\n");
    chmod("real.txt", 0640);
    fs::create_symlink("real.txt", "link.txt");
    PUTFILE("link.txt", 0, "b");
    __g_FastFile.FillBuffer(nullptr);
    EXPECT_TRUE(fs::is_symlink("link.txt"));
    EXPECT_EQ(ReadFile("real.txt"), "b\r\n");
    struct stat info;
    ASSERT_EQ(stat("real.txt", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"link.txt", "real.txt"}));
}

// The program's exit writes the changed file back.
TEST_F(FilesTest, ExitWritesBack) {
    WriteFile("x.txt", "one\r\n");
    EXPECT_EXIT(
        {
            PUTFILE("x.txt", 2, "three");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile("x.txt"), "one\r\n\r\nthree\r\n");
}

// A write that fails half-way (here: the file size limit, as on a full disk)
// leaves the user's file as it was and no temporary file behind.
TEST_F(FilesTest, FailedWriteBackKeepsTheOriginal) {
    std::string original;
    for (int i = 0; i < 40; ++i) original += "original line " + std::to_string(i) + "\r\n";
    WriteFile("x.txt", original);
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit;
            limit.rlim_cur = limit.rlim_max = 100;
            setrlimit(RLIMIT_FSIZE, &limit);
            PUTFILE("x.txt", 0, std::string(900, 'z').c_str());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "cannot write back");
    EXPECT_EQ(ReadFile("x.txt"), original);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x.txt"}));
}

TEST_F(FilesTest, ListsFoldersFirstThenMatchingFiles) {
    fs::create_directory("sub");
    WriteFile("tile.bmp", "");
    WriteFile("a.txt", "");
    WriteFile(".txt", "");
    KvStrArray list;
    double result = GETFILELIST("*.BMP", list);
    EXPECT_EQ(result, 3 * 65536 + 1);
    ASSERT_EQ(BOUNDS(list, 0), 4);
    std::vector<std::string> folders;
    for (int i = 0; i < 3; ++i) folders.push_back(Str(list(i)));
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{".", "..", "sub"}));
    EXPECT_EQ(Str(list(3)), "tile.bmp");
    EXPECT_EQ(GETFILELIST("?.txt", list), 3 * 65536 + 1);
    EXPECT_EQ(Str(list(3)), "a.txt");
}

TEST_F(FilesTest, CurrentDirectoryAndExistence) {
    KvStr here = GETCURRENTDIR_Str();
    EXPECT_EQ(Str(here), fs::current_path().string() + "/");
    fs::create_directory("sub");
    WriteFile("sub/f.txt", "x");
    EXPECT_EQ(DOESFILEEXIST("sub/f.txt"), 1);
    EXPECT_EQ(DOESFILEEXIST("sub"), 0);
    EXPECT_EQ(DOESFILEEXIST("nothing"), 0);
    // A FIFO nobody writes to can be opened for reading: it exists, and asking does not
    // wait for a writer (the test would hang until its timeout).
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    EXPECT_EQ(DOESFILEEXIST("pipe"), 1);
    EXPECT_EQ(SETCURRENTDIR("sub"), 1);
    EXPECT_EQ(DOESFILEEXIST("f.txt"), 1);
    EXPECT_EQ(SETCURRENTDIR("no/such/folder"), 0);
    EXPECT_EQ(Str(GETCURRENTDIR_Str()), Str(here) + "sub/");
    EXPECT_EQ(SETCURRENTDIR("/"), 1);
    EXPECT_EQ(Str(GETCURRENTDIR_Str()), "/");
    // A backslash ends up as the one closing slash.
    fs::create_directory(folder_ / "back\\");
    EXPECT_EQ(SETCURRENTDIR((folder_.string() + "/back\\").c_str()), 1);
    EXPECT_EQ(Str(GETCURRENTDIR_Str()), folder_.string() + "/back/");
}

TEST_F(FilesTest, ShellCommandsAndTheirExitCodes) {
    double code = -1;
    EXPECT_EQ(SHELLCMD("exit 3", 1, 1, code), 1);
    EXPECT_EQ(code, 3);
    EXPECT_EQ(SHELLCMD("true", 1, 0, code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(SHELLCMD("exit 255", 1, 0, code), 1);
    EXPECT_EQ(code, 255);
    EXPECT_EQ(SHELLCMD("no_such_program_kv", 1, 0, code), 1);
    EXPECT_EQ(code, 127);  // the shell's "not found"
    EXPECT_EQ(SHELLCMD("echo made > out.txt", 1, 0, code), 1);
    EXPECT_EQ(ReadFile("out.txt"), "made\n");
    // Without waiting the code stays 0 and the command runs on its own.
    code = -1;
    EXPECT_EQ(SHELLCMD("sleep 0.2; echo late > late.txt; exit 4", 0, 0, code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(fs::exists("late.txt"));
    for (int i = 0; i < 100 && ReadFile("late.txt") != "late\n"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ReadFile("late.txt"), "late\n");
}

// A stand-in dialog program on the path shows what the dialog is asked for.
TEST_F(FilesTest, FileRequestThroughTheDesktopDialog) {
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    EXPECT_EQ(Str(FILEREQUEST_Str(1, "All|*.*")), "NO_FILE");

    fs::create_directory("bin");
    WriteFile("bin/zenity", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > " +
                                fs::current_path().string() +
                                "/args.txt\necho 'C:\\Games\\pic.bmp'\n");
    chmod("bin/zenity", 0755);
    setenv("PATH", (fs::current_path() / "bin").c_str(), 1);
    KvStr chosen = FILEREQUEST_Str(0, "Pictures|*.bmp;*.png|All|*.*");
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(Str(chosen), "C:/Games/pic.bmp");
    std::string args = ReadFile("args.txt");
    EXPECT_NE(args.find("--save\n"), std::string::npos);
    EXPECT_NE(args.find("--file-filter=Pictures | *.bmp *.png\n"), std::string::npos);
    EXPECT_NE(args.find("--file-filter=All | *.*\n"), std::string::npos);
    EXPECT_NE(args.find("--filename=" + fs::current_path().string() + "/\n"), std::string::npos);
}
