// Font 0 at start-up: a program without "Smalfont.bmp" (no file, no pack entry) gets
// the runtime's built-in copy of the default font; its own Smalfont.bmp still wins.
// The probe runs alone in a folder of its own, so nothing of the build is beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "commands/DefaultFont.h"
#include "tests/support/TestFolder.h"

namespace fs = std::filesystem;

namespace {

class DefaultFontTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Made());
        fs::copy_file(FONT_PROBE_PATH, m_folder / "font_probe");
    }

    CommandResult Start(const std::string& arguments = "") {
        return RunCommand("cd '" + m_folder.Path() + "' && TMPDIR='" + m_folder.Path() +
                          "' ./font_probe --headless --unpaced --no-warning --trace trace.txt " +
                          arguments);
    }

    TestFolder m_folder{"kv_default_font"};
};

TEST(DefaultFontCopy, IsTheGeneratedSmalfontByteForByte) {
    // The media generator's Smalfont.bmp from the font's text source.
    std::string generated = ReadFileText(GENERATED_SMALFONT_PATH);
    ASSERT_EQ(generated.size(), 9270u) << "a 128 x 64 bitmap with a 256-colour palette";
    std::string builtIn(reinterpret_cast<const char*>(kDefaultFontBitmap), kDefaultFontBitmapSize);
    EXPECT_TRUE(builtIn == generated)
        << "commands/DefaultFontBitmap.cpp is out of date: run "
           "`cmake --build <build> --target kv_default_font`";
}

TEST_F(DefaultFontTest, WithoutAnyFontTheBuiltInOneDrawsText) {
    CommandResult run = Start("--screenshot 0:shot.bmp");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // Smalfont's cells are 8 x 8.
    EXPECT_NE(run.output.find("cell 8 8\n"), std::string::npos) << run.output;
    // Start-up asks for Smalfont.bmp as ever, and the error log has nothing to say.
    std::string trace = ReadFileText(m_folder / "trace.txt");
    EXPECT_NE(trace.find("0 LOADFONT \"Smalfont.bmp\" 0\n"), std::string::npos) << trace;
    EXPECT_EQ(ReadFileText(m_folder / "ErrorLog.txt").find("Smalfont"), std::string::npos);
    // "Hi" left white pixels in the screenshot's top 8 rows (24-bit bottom-up, 640 wide).
    std::string shot = ReadFileText(m_folder / "shot.bmp");
    ASSERT_EQ(shot.size(), 921654u);
    int white = 0;
    for (int row = 472; row < 480; ++row)
        for (int x = 0; x < 16; ++x)
            if (shot.compare(54 + (row * 640 + x) * 3, 3, "\xff\xff\xff") == 0) ++white;
    EXPECT_GT(white, 10);
}

TEST_F(DefaultFontTest, TheProgramsOwnSmalfontWins) {
    // fontklein.bmp has 16 x 16 cells: beside the program as Smalfont.bmp, it is font 0.
    fs::copy_file(GENERATED_FONTKLEIN_PATH, m_folder / "Smalfont.bmp");
    CommandResult run = Start();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("cell 16 16\n"), std::string::npos) << run.output;
}

TEST_F(DefaultFontTest, ADamagedSmalfontStillEndsTheProgramWithError3) {
    // A font that is there but cannot be read is the program's fault, not a missing one.
    std::ofstream(m_folder / "Smalfont.bmp") << "not a bitmap";
    CommandResult run = Start();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("cell"), std::string::npos) << run.output;
    std::string log = ReadFileText(m_folder / "ErrorLog.txt");
    EXPECT_NE(log.find("-End On Line\r\n3\r\n"), std::string::npos) << log;
}

}  // namespace
