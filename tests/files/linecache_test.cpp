// The line cache and the wildcard matcher without the commands: what a program's
// file reads come down to, and the runtime errors the cache raises through the
// error hook, which the runtime core points at __g_error.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "files/FastFile.h"
#include "files/WildMatch.h"
#include "runtime/Runtime.h"
#include "tests/support/TestFolder.h"

namespace {
std::string Text(const KvStr& s) { return s.GetStrData(); }

class LineCache : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Made());
        __g_error = 0;
        __dLn(0, 12);
    }
    void TearDown() override { m_cache.FillBuffer(nullptr); }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = m_folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    TestFolder m_folder{"kv_linecache"};
    FAST_FILE m_cache;
};

TEST_F(LineCache, ReadsLinesAndReportsErrorsThroughTheCore) {
    std::string file = Write("a.txt", "first\r\nsecond \t\x01\n\nlast");
    KvStr text;
    EXPECT_EQ(m_cache.GetFile(file.c_str(), 1, text), 0);
    EXPECT_EQ(Text(text), "second ");  // trailing control characters cut, the space kept
    EXPECT_EQ(m_cache.GetFile(file.c_str(), 2, text), 0);
    EXPECT_EQ(Text(text), "NO_DATA");  // an empty line
    EXPECT_EQ(m_cache.GetFile(file.c_str(), 3, text), 0);
    EXPECT_EQ(Text(text), "last");
    EXPECT_EQ(__g_error, 0);
    // Line 256 is past the cache: error 7 at the current line, the program goes on.
    EXPECT_EQ(m_cache.GetFile(file.c_str(), 256, text), 7);
    EXPECT_EQ(Text(text), "NO_DATA");
    EXPECT_EQ(__g_error, 7);
    EXPECT_EQ(__g_errorline, 12);
    // A file that is not there: error 3.
    __dLn(0, 13);
    EXPECT_EQ(m_cache.GetFile((m_folder / "none.txt").c_str(), 0, text), 3);
    EXPECT_EQ(Text(text), "NO_FILE");
    EXPECT_EQ(__g_error, 3);
    EXPECT_EQ(__g_errorline, 13);
}

TEST_F(LineCache, PutLinesAreWrittenBackWhenAnotherFileIsUsed) {
    std::string file = Write("b.txt", "one\n");
    KvStr text = "three";
    EXPECT_EQ(m_cache.PutFile(file.c_str(), 2, text), 0);
    EXPECT_EQ(m_cache.FillBuffer(nullptr), 0);
    EXPECT_EQ(ReadFileText(file), "one\r\n\r\nthree\r\n");
}

TEST(WildMatch, Patterns) {
    EXPECT_TRUE(szWildMatch("*.BMP", "tile.bmp"));
    EXPECT_FALSE(szWildMatch("*.BMP", "tile.bmpx"));
    EXPECT_TRUE(szWildMatch("?.txt", "a.txt"));
    EXPECT_FALSE(szWildMatch("?.txt", ".txt"));
    EXPECT_FALSE(szWildMatch("?.txt", "ab.txt"));
    EXPECT_TRUE(szWildMatch("*", ""));
    EXPECT_TRUE(szWildMatch("**", "abc"));
    EXPECT_FALSE(szWildMatch("", "a"));
    EXPECT_TRUE(szWildMatch("a*b*c", "aXbYbZc"));
    EXPECT_TRUE(szWildMatch("*ab", "aab"));  // retried one character further on
    EXPECT_FALSE(szWildMatch("*.*", "README"));
    EXPECT_TRUE(szWildMatch("t?le.*", "TILE.BMP"));
}

}  // namespace
