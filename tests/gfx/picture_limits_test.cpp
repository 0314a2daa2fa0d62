// Large pictures, end to end: a probe program loads a sprite, a font or a background
// from a sparse bitmap file in a process whose address space is capped at 3 GiB, and
// the tests read back the slot it prints, its exit and its error log.
#include <gtest/gtest.h>

#include <string>

#include "gfx/BitmapReader.h"
#include "tests/gfx/BitmapFiles.h"
#include "tests/support/TestFolder.h"

namespace {

// AddressSanitizer reserves terabytes of shadow memory up front, so a process built
// with it cannot start under an address-space cap; there the probe runs uncapped.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
constexpr unsigned long long kCap = 3ULL << 30;

// The largest picture a square 24-bit file of about 1.6 GB holds: beyond every texture.
constexpr int kHugeSide = 23170;

class PictureLimits : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Made()); }

    std::string Picture(const std::string& name, int width, int height) {
        std::string path = m_folder / name;
        EXPECT_TRUE(WriteSparseBitmap24(path, width, height)) << path;
        return path;
    }
    CommandResult Probe(const std::string& mode, const std::string& path) {
        std::string cap = kAddressSanitizer ? "" : "prlimit --as=" + std::to_string(kCap) + " ";
        return RunCommand("TMPDIR='" + m_folder.Path() + "' " + cap + PICTURE_PROBE +
                          " --headless " + mode + " '" + path + "'");
    }
    // The error log from its closing lines on (start-up writes the renderer first).
    std::string ClosingLines() const {
        std::string log = ReadFileText(m_folder / "ErrorLog.txt");
        std::size_t end = log.find("-End On Line");
        return end == std::string::npos ? log : log.substr(end);
    }

    TestFolder m_folder{"kip_picture_limits"};
};

const char* const kEmptySlot = "slot 5: texture -1 x -1, picture 0 x 0, names 0 0\n";
// A normal end after the probe's last line (20).
const char* const kNormalEnd = "-End On Line\r\n0\r\n0\r\n20\r\n0\r\n";
// Runtime error 3 at the loading line (12).
const char* const kError3 = "-End On Line\r\n3\r\n12\r\n12\r\n0\r\n";

TEST_F(PictureLimits, HugeSpriteLeavesItsSlotEmptyUnderTheCap) {
    CommandResult run = Probe("sprite", Picture("huge.bmp", kHugeSide, kHugeSide));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find(kEmptySlot), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("bad_alloc"), std::string::npos) << run.output;
    EXPECT_EQ(ClosingLines(), kNormalEnd);
}

TEST_F(PictureLimits, HugeFontAndBackgroundEndWithRuntimeError3) {
    std::string huge = Picture("huge.bmp", kHugeSide, kHugeSide);
    for (const char* mode : {"font", "background"}) {
        CommandResult run = Probe(mode, huge);
        EXPECT_EQ(run.exitCode, 0) << mode << ": " << run.output;
        // The program ends at the load: the line after it never prints.
        EXPECT_EQ(run.output.find("peak growth"), std::string::npos) << mode;
        EXPECT_EQ(ClosingLines(), kError3) << mode;
    }
}

TEST_F(PictureLimits, PictureWithinTheDriversTextureButBeyondTheBudgetIsRefused) {
    // 16384 x 16384 is a texture the software renderer takes, but 1 GiB of texels.
    CommandResult run = Probe("sprite", Picture("square.bmp", 16384, 16384));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find(kEmptySlot), std::string::npos) << run.output;
    CommandResult font = Probe("font", Picture("wide.bmp", 16384, 8193));
    EXPECT_EQ(font.exitCode, 0) << font.output;
    EXPECT_EQ(ClosingLines(), kError3);
}

TEST_F(PictureLimits, PictureThatFitsLoadsWithinASmallMultipleOfItsSize) {
    CommandResult run = Probe("sprite", Picture("fits.bmp", 2048, 2048));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("slot 5: texture 2048 x 2048, picture 2048 x 2048, names "),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find(kEmptySlot), std::string::npos);
    EXPECT_EQ(ClosingLines(), kNormalEnd);
    if (kAddressSanitizer) return;  // its quarantine keeps freed blocks in the peak
    long growth = -1;
    std::size_t at = run.output.find("peak growth ");
    ASSERT_NE(at, std::string::npos) << run.output;
    growth = std::stol(run.output.substr(at + 12));
    // The file's 12 MiB become 16 MiB of texels, which the driver copies for the plain
    // and the mipmapped texture; six times the file is the most that may be held.
    long fileKiB = long(54 + Bitmap24RowSize(2048) * 2048) / 1024;
    EXPECT_LE(growth, 6 * fileKiB) << run.output;
}

TEST_F(PictureLimits, AllocationFailureWhileLoadingLeavesTheSlotEmpty) {
    if (kAddressSanitizer) GTEST_SKIP() << "no address-space limit under AddressSanitizer";
    // 4096 x 4096 fits every limit, but its 64 MiB of texels do not fit the 32 MiB left.
    CommandResult run = Probe("sprite-tight", Picture("tight.bmp", 4096, 4096));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find(kEmptySlot), std::string::npos) << run.output;
    EXPECT_EQ(ClosingLines(), kNormalEnd);
}

}  // namespace
