// File commands: lines of text files through the line cache, file existence, the
// current directory, directory listings, the desktop file dialog and shell commands.
#include "commands/cmd_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "commands/MediaLookup.h"
#include "commands/ProgramFrame.h"
#include "files/FastFile.h"
#include "gfx/OpenGLRainbows.h"
#include "runtime/Options.h"
#include "values/IntConv.h"

extern char** environ;

namespace {
// Line numbers outside 0..255 are refused as a whole rather than wrapped into range.
short LineNumber(double line) {
    int32_t whole = KvToInt(line);
    if (whole < 0 || whole >= FAST_FILE::kLines) return -1;
    return static_cast<short>(whole);
}

bool IsFolder(const char* name, unsigned char type) {
    if (type == DT_DIR) return true;
    if (type != DT_LNK && type != DT_UNKNOWN) return false;
    struct stat info;
    return stat(name, &info) == 0 && S_ISDIR(info.st_mode);
}

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

// "Pictures|*.bmp;*.png|All|*.*" as (description, patterns separated by spaces) pairs.
std::vector<std::pair<std::string, std::string>> ParseFilter(const char* filter) {
    std::vector<std::string> parts;
    std::string current;
    for (const char* p = filter; *p; ++p) {
        if (*p == '|') {
            parts.push_back(current);
            current.clear();
        } else {
            current += *p == ';' ? ' ' : *p;
        }
    }
    if (!current.empty()) parts.push_back(current);
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i + 1].empty()) pairs.emplace_back(parts[i], parts[i + 1]);
    return pairs;
}

// The command line of the desktop's file dialog (zenity, else kdialog); empty when
// neither is installed.
std::vector<std::string> DialogArguments(bool load, const char* filter, const std::string& folder) {
    std::vector<std::string> args;
    auto pairs = ParseFilter(filter);
    std::string program = FindProgram("zenity");
    if (!program.empty()) {
        args = {program, "--file-selection", "--filename=" + folder};
        if (!load) args.push_back("--save");
        for (const auto& [description, patterns] : pairs)
            args.push_back("--file-filter=" + description + " | " + patterns);
        return args;
    }
    program = FindProgram("kdialog");
    if (!program.empty()) {
        std::string kdialogFilter;
        for (const auto& [description, patterns] : pairs)
            kdialogFilter += (kdialogFilter.empty() ? "" : "\n") + patterns + "|" + description;
        args = {program, load ? "--getopenfilename" : "--getsavefilename", folder};
        if (!kdialogFilter.empty()) args.push_back(kdialogFilter);
    }
    return args;
}

// Runs the dialog program and returns what it printed, or "" when nothing was chosen.
std::string RunDialog(const std::vector<std::string>& args) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return "";
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
    std::string output;
    char buffer[512];
    for (;;) {
        ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (output.size() < 8192) output.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    int exitCode = 1;
    if (!started || !WaitForExit(pid, exitCode) || exitCode != 0) return "";
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    return output;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > 65536) return "";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

void RestoreGameWindow() {
    if (!pRbow) return;
    if (__KV_FULLSCREEN != 0 && !KvOptions().windowed)
        pRbow->DoFullscreen();
    else
        pRbow->DoWindowed();
}
}  // namespace

void GETFILE(const KvStr& file, double line, KvStr& text) {
    KvStr path = file;
    if (!MediaLookup(path, __g_ShoeBox_Data)) {
        text = "NO_FILE";
        return;
    }
    __g_FastFile.GetFile(path.GetStrData(), LineNumber(line), text);
}

void GETFILE(const KvStr& file, double line, double& v) {
    KvStr text;
    GETFILE(file, line, text);
    v = std::atof(text.GetStrData());
}

void PUTFILE(const KvStr& file, double line, KvStr& text) {
    __g_FastFile.PutFile(file.GetStrData(), LineNumber(line), text);
}

void PUTFILE(const KvStr& file, double line, const KvStr& text) {
    KvStr copy = text;
    PUTFILE(file, line, copy);
}

void PUTFILE(const KvStr& file, double line, double v) {
    KvStr text(v);
    PUTFILE(file, line, text);
}

double DOESFILEEXIST(const KvStr& file) {
    int fd = open(file.GetStrData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat info;
    bool regular = fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    close(fd);
    return regular ? 1 : 0;
}

KvStr GETCURRENTDIR_Str() {
    std::string folder = CurrentDirectory();
    // Backslashes become slashes first, so a trailing one is not followed by another.
    std::replace(folder.begin(), folder.end(), '\\', '/');
    if (folder.empty() || folder.back() != '/') folder += '/';
    KvStr result;
    // A folder the string cannot hold would be cut to a wrong name: give none.
    if (static_cast<int>(folder.size()) > KvStr::kMaxAssign) return result;
    result = folder.c_str();
    return result;
}

double SETCURRENTDIR(const KvStr& dir) { return chdir(dir.GetStrData()) == 0 ? 1 : 0; }

double GETFILELIST(const KvStr& pattern, KvStrArray& list) {
    DIR* folder = opendir(".");
    if (!folder) {
        DIM(list, 1);
        return 0;
    }
    std::vector<std::string> folders, files;
    folders.reserve(512);
    files.reserve(512);
    while (const dirent* entry = readdir(folder)) {
        if (IsFolder(entry->d_name, entry->d_type))
            folders.push_back(entry->d_name);
        else if (szWildMatch(pattern.GetStrData(), entry->d_name))
            files.push_back(entry->d_name);
    }
    closedir(folder);
    DIM(list, static_cast<double>(folders.size() + files.size()));
    double index = 0;
    for (const auto& name : folders) list(index++) = name.c_str();
    for (const auto& name : files) list(index++) = name.c_str();
    return static_cast<double>(folders.size()) * 65536 + static_cast<double>(files.size());
}

KvStr FILEREQUEST_Str(double load, const KvStr& filter) {
    KvStr result = "NO_FILE";
    std::string start = CurrentDirectory();
    auto args = DialogArguments(load != 0, filter.GetStrData(), start + "/");
    // Without a desktop (or when running headless) there is no one to choose a file.
    if (args.empty() || KvOptions().headless) return result;

    if (pRbow) pRbow->HideWindow();
    std::string chosen = RunDialog(args);
    if (!start.empty() && chdir(start.c_str()) != 0) std::perror(start.c_str());
    RestoreGameWindow();

    if (chosen.empty() || static_cast<int>(chosen.size()) > KvStr::kMaxAssign) return result;
    result = chosen.c_str();
    ReverseSlashes(result);
    return result;
}

double SHELLCMD(const KvStr& command, double wait, double /*show*/, double& code) {
    code = 0;
    pid_t pid = 0;
    if (wait != 0) {
        if (!Spawn(pid, {"/bin/sh", "-c", command.GetStrData()}, nullptr)) return 0;
        int exitCode = 0;
        if (!WaitForExit(pid, exitCode)) return 1;
        usleep(100 * 1000);
        code = static_cast<unsigned>(exitCode);
        return 1;
    }
    // Not waiting: a short-lived shell starts the command in the background and ends
    // at once, so the command never lingers as a child of the game.
    if (!Spawn(pid, {"/bin/sh", "-c", "/bin/sh -c \"$1\" &", "sh", command.GetStrData()}, nullptr))
        return 0;
    int ignored = 0;
    WaitForExit(pid, ignored);
    return 1;
}
