// The kip executable on a hostile machine: a copy of it alone in a folder (so every
// picture and sound comes from its pack) is started in a subprocess with a FIFO beside
// it, a broken $TMPDIR, a planted link for the error log, a full disk for the trace, a
// closed standard output and the quit signals; its exit code, messages, log and the
// files it leaves behind are checked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/game/game_test_support.h"
#include "tests/game/run_leftovers.h"
#include "tests/support/TestFolder.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int exitCode = -1;  // -1 when it did not end by itself
    int signal = 0;     // the signal that ended it, if one did
    bool timedOut = false;
    std::string output;  // standard output, when it went to a file
    std::string errors;  // standard error
};

constexpr int kSecondsToEnd = 150;

// Redirects the child's standard output and error before it starts the game.
void RedirectOutputs(const std::string& outPath, const std::string& errPath, int outFd) {
    if (outFd < 0) outFd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (outFd < 0 || errFd < 0) _exit(126);
    ::dup2(outFd, STDOUT_FILENO);
    ::dup2(errFd, STDERR_FILENO);
}

// The child starts with the signals as a terminal would give them: nothing ignored, or
// only the hangup, as nohup starts a program.
void DefaultSignals(bool ignoreHangup) {
    for (int number : {SIGHUP, SIGINT, SIGTERM, SIGPIPE}) ::signal(number, SIG_DFL);
    if (ignoreHangup) ::signal(SIGHUP, SIG_IGN);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

class HostileMachine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Made());
        fs::create_directory(m_folder / "game");
        fs::create_directory(m_tmp);
        fs::copy_file(KIP_PATH, m_kip);
        fs::permissions(m_kip, fs::perms::owner_all);
    }

    // Starts the game from the test's folder (not the game's own) with the given $TMPDIR.
    // Standard output goes to out.txt, or to outFd when one is given.
    pid_t Start(const std::vector<std::string>& options, const std::string& tmpdir,
                int outFd = -1, bool ignoreHangup = false) {
        std::vector<std::string> words{m_kip, "--headless", "--unpaced", "--seed", "3"};
        words.insert(words.end(), options.begin(), options.end());
        const pid_t pid = ::fork();
        if (pid != 0) return pid;
        if (::chdir(m_folder.Path().c_str()) != 0) _exit(126);
        ::setenv("TMPDIR", tmpdir.c_str(), 1);
        DefaultSignals(ignoreHangup);
        RedirectOutputs(m_folder / "out.txt", m_folder / "err.txt", outFd);
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        _exit(127);
    }

    // Waits for the game to end; a game that does not end in time is killed.
    Outcome Wait(pid_t pid) {
        Outcome outcome;
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kSecondsToEnd);
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                outcome.timedOut = true;
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!outcome.timedOut && WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
        outcome.output = ReadFileText(m_folder / "out.txt");
        outcome.errors = ReadFileText(m_folder / "err.txt");
        return outcome;
    }

    Outcome Run(const std::vector<std::string>& options, const std::string& tmpdir) {
        return Wait(Start(options, tmpdir));
    }

    // The stage screen of the first level, shot at its frame 9 (after the start screen and
    // the intro, passed with space): its texts and pictures come from the pack, so a blank
    // screen means the unpacked media went missing.
    std::vector<std::string> StageScreenOptions() const {
        const std::string keys = m_folder / "start.keys";
        std::ofstream(keys) << kThroughTheStartScreens;
        return {"--keys", keys, "--frames", std::to_string(12 + kStartScreenFrames),
                "--screenshot", std::to_string(9 + kStartScreenFrames) + ":" + m_folder / "stage.bmp"};
    }
    bool StageScreenIsDrawn() const {
        const std::string bytes = ReadFileText(m_folder / "stage.bmp");
        if (bytes.size() != 921654u) return false;  // 640 x 480, 24 bits, 54 bytes of header
        int lit = 0;
        for (std::size_t i = 54; i < bytes.size(); ++i) lit += bytes[i] != 0;
        return lit > 1000;
    }

    // Waits until the game has unpacked its media: then its folder stands in $TMPDIR.
    bool WaitForUnpackedMedia(pid_t pid) const {
        const std::string prefix = "kvmedia-" + std::to_string(pid) + "-";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            for (const std::string& name : UnpackingFolders(m_tmp))
                if (name.rfind(prefix, 0) == 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    TestFolder m_folder{"kip_hostile"};
    const std::string m_kip = m_folder / "game/kip";
    const std::string m_tmp = m_folder / "tmp";
};

TEST_F(HostileMachine, FifoNamedLikeAPictureIsNotAFile) {
    // Before the pack is searched, the loose file wins; a FIFO of the font's name must
    // neither stall the start nor hide the font packed into the game.
    ASSERT_EQ(::mkfifo((m_folder / "game/Smalfont.bmp").c_str(), 0600), 0);
    Outcome run = Run(StageScreenOptions(), m_tmp);
    ASSERT_FALSE(run.timedOut) << "the game hung at the FIFO";
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(StageScreenIsDrawn());
    EXPECT_TRUE(fs::is_fifo(m_folder / "game/Smalfont.bmp"));
    EXPECT_TRUE(EndsNormally(ReadFileText(m_tmp + "/ErrorLog.txt")));
}

TEST_F(HostileMachine, MissingTemporaryFolderFallsBackToTmp) {
    const std::string missing = m_folder / "missing";
    Outcome run = Run(StageScreenOptions(), missing);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(StageScreenIsDrawn());
    // One sentence for the log, one for the media, each naming the folder and the reason.
    EXPECT_EQ(run.errors,
              "The error log " + missing +
                  "/ErrorLog.txt cannot be made (No such file or directory), so this run writes "
                  "no log.\n"
                  "The temporary folder " +
                  missing +
                  " cannot hold the unpacked media (No such file or directory), so they go to "
                  "/tmp instead.\n");
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(HostileMachine, TemporaryFolderThatIsAFileFallsBackToTmp) {
    const std::string file = m_folder / "afile";
    std::ofstream(file) << "not a folder";
    Outcome run = Run(StageScreenOptions(), file);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(StageScreenIsDrawn());
    EXPECT_NE(run.errors.find("The error log " + file +
                              "/ErrorLog.txt cannot be removed (Not a directory)"),
              std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("The temporary folder " + file +
                              " cannot hold the unpacked media (Not a directory), so they go "
                              "to /tmp instead.\n"),
              std::string::npos)
        << run.errors;
    EXPECT_EQ(ReadFileText(file), "not a folder");
}

TEST_F(HostileMachine, ReadOnlyTemporaryFolderFallsBackToTmp) {
    // A folder without write permission; root writes anywhere a mode allows nothing, so
    // it gets /sys, which even root cannot make folders in.
    std::string readOnly = m_folder / "readonly";
    if (::geteuid() == 0) {
        readOnly = "/sys";
    } else {
        fs::create_directory(readOnly);
        fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
    }
    Outcome run = Run(StageScreenOptions(), readOnly);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(StageScreenIsDrawn());
    EXPECT_NE(run.errors.find("The error log " + readOnly + "/ErrorLog.txt cannot be made ("),
              std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("The temporary folder " + readOnly +
                              " cannot hold the unpacked media ("),
              std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("), so they go to /tmp instead.\n"), std::string::npos);
    if (readOnly != "/sys") fs::permissions(readOnly, fs::perms::owner_all);
}

TEST_F(HostileMachine, RelativeTemporaryFolderStaysWhereTheGameWasStarted) {
    // The game moves into its own folder at start-up; "tmp" still means the folder beside
    // where it was started, for the log and for the unpacked media.
    Outcome run = Run({"--frames", "2"}, "tmp");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_TRUE(EndsNormally(ReadFileText(m_tmp + "/ErrorLog.txt")));
    EXPECT_FALSE(fs::exists(m_folder / "game/tmp"));
    EXPECT_TRUE(UnpackingFolders(m_tmp).empty());
}

TEST_F(HostileMachine, PlantedLogLinkIsRemovedAndItsTargetKept) {
    const std::string victim = m_folder / "victim.txt";
    std::ofstream(victim) << "keep me";
    fs::create_symlink(victim, m_tmp + "/ErrorLog.txt");
    Outcome run = Run({"--frames", "2"}, m_tmp);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(ReadFileText(victim), "keep me");
    // A new log of the owner's alone stands where the link was.
    struct stat info;
    ASSERT_EQ(::lstat((m_tmp + "/ErrorLog.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(EndsNormally(ReadFileText(m_tmp + "/ErrorLog.txt")));
}

TEST_F(HostileMachine, LogThatCannotBeRemovedIsNotWritten) {
    // Something that stays where the log goes (here a folder of that name; in a shared
    // folder, another user's file): no log, said once, and the game still plays.
    fs::create_directory(m_tmp + "/ErrorLog.txt");
    Outcome run = Run({"--frames", "2"}, m_tmp);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "The error log " + m_tmp +
                              "/ErrorLog.txt cannot be removed (Is a directory), so this run "
                              "writes no log.\n");
    EXPECT_TRUE(fs::is_empty(m_tmp + "/ErrorLog.txt"));
}

TEST_F(HostileMachine, TraceToAFullDiskIsReportedAndFailsTheRun) {
    Outcome run = Run({"--frames", "2", "--trace", "/dev/full"}, m_tmp);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors,
              "The trace /dev/full cannot be written (No space left on device), so it stops "
              "here.\n");
    // The game itself went on to its normal end.
    EXPECT_TRUE(EndsNormally(ReadFileText(m_tmp + "/ErrorLog.txt")));
}

TEST_F(HostileMachine, ScreenshotThatCannotBeWrittenFailsTheRun) {
    Outcome run = Run({"--frames", "2", "--screenshot", "1:/dev/full"}, m_tmp);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, "could not write the screenshot /dev/full\n");
    EXPECT_TRUE(EndsNormally(ReadFileText(m_tmp + "/ErrorLog.txt")));
}

TEST_F(HostileMachine, ClosedStandardOutputIsNoReasonToDie) {
    // A pipe nobody reads: the "Setting box:" lines fail, the game goes on.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    const pid_t plain = Start({"--frames", "2"}, m_tmp, pipeEnds[1]);
    Outcome run = Wait(plain);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(EndsNormally(ReadFileText(m_tmp + "/ErrorLog.txt")));
    // The trace on that standard output is lost, and that is said and fails the run.
    const pid_t traced = Start({"--frames", "2", "--trace", "-"}, m_tmp, pipeEnds[1]);
    ::close(pipeEnds[1]);
    run = Wait(traced);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitCode, 1);
    // The boxes' "Setting box:" lines went to standard error, off the trace's stream.
    const std::string said =
        "The trace on standard output cannot be written (Broken pipe), so it stops here.\n";
    ASSERT_GE(run.errors.size(), said.size()) << run.errors;
    EXPECT_EQ(run.errors.substr(run.errors.size() - said.size()), said);
    std::istringstream before(run.errors.substr(0, run.errors.size() - said.size()));
    for (std::string line; std::getline(before, line);)
        EXPECT_EQ(line.rfind("Setting box:", 0), 0u) << line;
    EXPECT_TRUE(EndsNormally(ReadFileText(m_tmp + "/ErrorLog.txt")));
}

class QuitSignal : public HostileMachine, public ::testing::WithParamInterface<int> {};

TEST_P(QuitSignal, EndsThroughTheShutdown) {
    const pid_t pid = Start({}, m_tmp);
    EXPECT_TRUE(WaitForUnpackedMedia(pid));
    ::kill(pid, GetParam());
    Outcome run = Wait(pid);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(EndsNormally(ReadFileText(m_tmp + "/ErrorLog.txt")))
        << ReadFileText(m_tmp + "/ErrorLog.txt");
    EXPECT_TRUE(UnpackingFolders(m_tmp).empty());
}

INSTANTIATE_TEST_SUITE_P(HangupInterruptTerminate, QuitSignal,
                         ::testing::Values(SIGHUP, SIGINT, SIGTERM));

TEST_F(HostileMachine, HangupIgnoredByTheStarterStaysIgnored) {
    // Started under nohup: closing the terminal does not end the game; SIGTERM still does.
    const pid_t pid = Start({}, m_tmp, -1, true);
    EXPECT_TRUE(WaitForUnpackedMedia(pid));
    ::kill(pid, SIGHUP);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0) << "the hangup ended the game";
    ::kill(pid, SIGTERM);
    Outcome run = Wait(pid);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(EndsNormally(ReadFileText(m_tmp + "/ErrorLog.txt")));
}

TEST_F(HostileMachine, StaleFolderOfADeadRunIsRemoved) {
    // A run killed outright left its folder; a process id that is gone names it.
    const pid_t gone = ::fork();
    if (gone == 0) _exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0);
    const std::string stale = m_tmp + "/kvmedia-" + std::to_string(gone) + "-Ab12Cd";
    fs::create_directory(stale);
    std::ofstream(stale + "/~sbx1234abkip.bmp") << "left over";
    // The folder of a live process (process 1), and one that is no box's, stay.
    const std::string live = m_tmp + "/kvmedia-1-Ab12Cd";
    const std::string other = m_tmp + "/kvmedia-notes";
    fs::create_directory(live);
    fs::create_directory(other);
    Outcome run = Run({"--frames", "2"}, m_tmp);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));
    EXPECT_TRUE(fs::exists(other));
}

}  // namespace
