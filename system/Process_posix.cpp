// Starting programs with posix_spawn: shell commands and captured programs.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "system/Process.h"

extern char** environ;

namespace {
// Waits for a child process, returning its exit code (128 + signal when killed).
bool WaitForExit(pid_t pid, int& exitCode) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

bool Spawn(pid_t& pid, const std::vector<const char*>& args,
           const posix_spawn_file_actions_t* actions) {
    std::vector<char*> argv;
    for (const char* arg : args) argv.push_back(const_cast<char*>(arg));
    argv.push_back(nullptr);
    return posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) == 0;
}
}  // namespace

ShellResult RunShellCommand(const char* command, bool wait, int& exitCode) {
    pid_t pid = 0;
    if (wait) {
        if (!Spawn(pid, {"/bin/sh", "-c", command}, nullptr)) return ShellResult::kNotStarted;
        if (!WaitForExit(pid, exitCode)) return ShellResult::kNotWaitedFor;
        usleep(100 * 1000);
        return ShellResult::kFinished;
    }
    // Not waiting: a short-lived shell starts the command in the background and ends
    // at once, so the command never lingers as a child of the game.
    if (!Spawn(pid, {"/bin/sh", "-c", "/bin/sh -c \"$1\" &", "sh", command}, nullptr))
        return ShellResult::kNotStarted;
    int ignored = 0;
    WaitForExit(pid, ignored);
    return ShellResult::kNotWaitedFor;
}

std::string FindProgram(const char* program) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        std::size_t end = folders.find(':', begin);
        if (end == std::string::npos) end = folders.size();
        std::string candidate = folders.substr(begin, end - begin);
        candidate = (candidate.empty() ? "." : candidate) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        begin = end + 1;
    }
    return "";
}

bool RunAndCapture(const std::vector<std::string>& args, std::string& output) {
    int pipeEnds[2];
    output.clear();
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<const char*> argv;
    for (const auto& arg : args) argv.push_back(arg.c_str());
    pid_t pid = 0;
    bool started = Spawn(pid, argv, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    char buffer[512];
    for (;;) {
        ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (output.size() < 8192) output.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    int exitCode = 1;
    return started && WaitForExit(pid, exitCode) && exitCode == 0;
}
