// The game as one self-contained file: a copy of the kip executable in a folder
// without any loose media still finds every picture, font and sound in the pack
// appended to it, byte for byte, and plays from it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/TestFolder.h"

namespace fs = std::filesystem;

namespace {

// FNV-1a over a file's bytes, as the lookup helper prints it.
long long HashFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    uint32_t hash = 2166136261u;
    for (char c; in.get(c);) hash = (hash ^ uint32_t(uint8_t(c))) * 16777619u;
    return hash;
}

class PackedGame : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Made());
        m_dir = m_folder.Path();
        m_kip = m_dir / "kip";
        fs::copy_file(KIP_PATH, m_kip);
        fs::permissions(m_kip, fs::perms::owner_all);
    }

    // The media the build generates beside the executable, less the review sheet.
    std::set<std::string> MediaNames() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(KIP_MEDIA_DIR)) {
            std::string name = entry.path().filename().string();
            std::string ext = entry.path().extension().string();
            if ((ext == ".bmp" || ext == ".wav") && name != "contact_sheet.bmp") names.insert(name);
        }
        return names;
    }

    TestFolder m_folder{"kip_pack_test"};
    fs::path m_dir;
    fs::path m_kip;
};

TEST_F(PackedGame, EveryMediaNameIsFoundInTheExecutable) {
    std::set<std::string> names = MediaNames();
    ASSERT_EQ(names.size(), 54u);  // 46 pictures, 2 fonts, 6 sounds
    std::string command = "cd '" + m_dir.string() + "' && TMPDIR='" + m_dir.string() + "' '" +
                          LOOKUP_HELPER_PATH + "' '" + m_kip.string() + "'";
    for (const std::string& name : names) command += " " + name;
    // One "found <path> <hash>" or "missing" line per name, in the order asked.
    std::istringstream lines(RunCommand(command).output);
    auto name = names.begin();
    int found = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("found ", 0) != 0 && line.rfind("missing", 0) != 0) continue;
        ASSERT_NE(name, names.end()) << line;
        std::size_t space = line.rfind(' ');
        if (line.rfind("found ", 0) == 0 &&
            std::stoll(line.substr(space + 1)) == HashFile(fs::path(KIP_MEDIA_DIR) / *name))
            ++found;  // the unpacked copy holds exactly the bytes of the generated file
        else
            ADD_FAILURE() << *name << ": " << line;
        ++name;
    }
    EXPECT_EQ(found, 54);
}

TEST_F(PackedGame, PlaysFromThePackAlone) {
    // Space ends the start screen at once; the intro's texts need the game's font from
    // the pack. The key script lies outside the folder that holds only the game.
    TestFolder keyFolder("kip_pack_keys");
    ASSERT_TRUE(keyFolder.Made());
    std::string keys = keyFolder / "keys.txt";
    std::ofstream(keys) << "0 tap 57\n";
    std::string shot = (m_dir / "intro.bmp").string();
    std::string command = "cd '" + m_dir.string() + "' && TMPDIR='" + m_dir.string() +
                          "' ./kip --headless --unpaced --seed 3 --keys '" + keys +
                          "' --frames 12 --screenshot 9:" + shot;
    CommandResult run = RunCommand(command);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::string bytes = ReadFileText(shot);
    ASSERT_EQ(bytes.size(), 921654u);
    int lit = 0;
    for (std::size_t i = 54; i < bytes.size(); ++i) lit += bytes[i] != 0;
    EXPECT_GT(lit, 1000) << "the intro is blank";
    // Only the executable is left: the unpacked files went with the program.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(m_dir)) files += entry.is_regular_file();
    EXPECT_EQ(files, 3);  // kip, intro.bmp, ErrorLog.txt
}

}  // namespace
