// Record and replay end to end: a run whose keys come as real SDL key events is
// recorded, the recording replayed as a key script, and the two traces compared.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/TestFolder.h"

namespace {
class RecordReplay : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Made()); }

    // Runs the record program headless for 20 frames; returns its exit code.
    int Run(const std::string& options) {
        std::string command = "cd '" + m_folder.Path() + "' && TMPDIR='" + m_folder.Path() +
                              "' '" RECORD_PROGRAM "' --headless --unpaced --frames 20 " + options +
                              " > output.txt 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Read(const std::string& name) const { return ReadFileText(m_folder / name); }
    // The recording without its first line, and that line.
    std::string Body(const std::string& name) const {
        std::string text = Read(name);
        return text.substr(text.find('\n') + 1);
    }
    std::string FirstLine(const std::string& name) const {
        std::string text = Read(name);
        return text.substr(0, text.find('\n'));
    }

    TestFolder m_folder{"kv_record"};
};

// What the person of the record program does, worked out by hand: the events put in
// the queue during frame n are seen from frame n + 1 on.
const char* const kRecordedKeys =
    "3 down 57\n"
    "6 up 57\n"
    "8 tap 203\n"
    "10 down 56 205\n"
    "15 up 205\n";

TEST_F(RecordReplay, ARecordedRunReplaysToAnIdenticalTrace) {
    ASSERT_EQ(Run("--record played.keys --trace played.trace -- person"), 0) << Read("output.txt");
    EXPECT_EQ(Body("played.keys"), kRecordedKeys);
    // No --seed: the clock's seed is written down for the replay.
    std::string header = FirstLine("played.keys");
    ASSERT_EQ(header.rfind("# kip key recording, seed ", 0), 0u) << header;

    ASSERT_EQ(Run("--keys played.keys --trace replayed.trace"), 0) << Read("output.txt");
    std::string played = Read("played.trace"), replayed = Read("replayed.trace");
    ASSERT_NE(played.find("KEY 205 1"), std::string::npos) << played;
    ASSERT_NE(played.find("FILLRECT"), std::string::npos) << played;
    EXPECT_EQ(played, replayed);

    // Another seed given on the command line wins over the recorded one, and the
    // random numbers, so the trace, differ.
    std::string seed = header.substr(header.rfind(' ') + 1);
    std::string other = std::to_string((std::stoul(seed) + 1) % 4294967296ul);
    ASSERT_EQ(Run("--keys played.keys --seed " + other + " --trace other.trace"), 0);
    EXPECT_NE(Read("other.trace"), played);
}

// The same person, with and without --record: the live run sees exactly what the
// recorded one does, the key tapped between two frames included.
TEST_F(RecordReplay, RecordingChangesNothingTheRunSees) {
    ASSERT_EQ(Run("--seed 77 --trace live.trace -- person"), 0) << Read("output.txt");
    ASSERT_EQ(Run("--seed 77 --record seen.keys --trace recorded.trace -- person"), 0)
        << Read("output.txt");
    std::string live = Read("live.trace");
    EXPECT_NE(live.find("\n8 KEY 203 1\n"), std::string::npos) << live;  // the tap
    EXPECT_EQ(live.find("\n9 KEY 203 1\n"), std::string::npos) << live;  // for one frame
    EXPECT_NE(live.find("\n3 KEY 57 1\n"), std::string::npos) << live;
    EXPECT_EQ(live, Read("recorded.trace"));
    EXPECT_EQ(Body("seen.keys"), kRecordedKeys);
}

TEST_F(RecordReplay, AGivenSeedIsWrittenDownAndAnIdleRunRecordsNoKeys) {
    ASSERT_EQ(Run("--seed 4242 --record idle.keys"), 0) << Read("output.txt");
    EXPECT_EQ(Read("idle.keys"), "# kip key recording, seed 4242\n");
}

TEST_F(RecordReplay, ARecordingThatCannotBeMadeStopsTheStart) {
    EXPECT_EQ(Run("--record no/such/folder/x.keys"), 2);
    EXPECT_NE(Read("output.txt").find("no/such/folder/x.keys: cannot write the key recording"),
              std::string::npos)
        << Read("output.txt");
    EXPECT_EQ(Run("--record a.keys --keys b.keys"), 2);
    EXPECT_NE(Read("output.txt").find("cannot be used with --keys"), std::string::npos);
}
}  // namespace
