// File commands: lines of text files through the line cache, file existence, the
// current directory, directory listings, the desktop file dialog and shell commands.
#include "commands/cmd_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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
#include "system/FileDialog.h"
#include "system/Process.h"
#include "values/IntConv.h"

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

std::string CurrentDirectory() {
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > 65536) return "";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

// The window comes back as it was before the dialog (F11 may have changed it).
void RestoreGameWindow(bool fullscreen) {
    if (!pRbow) return;
    if (fullscreen)
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

// Opened without blocking: a FIFO with no writer must not stall the program.
double DOESFILEEXIST(const KvStr& file) {
    int fd = open(file.GetStrData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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
    auto args = FileDialogCommand(load != 0, filter.GetStrData(), start + "/");
    // Without a desktop (or when running headless) there is no one to choose a file.
    if (args.empty() || KvOptions().headless) return result;

    bool wasFullscreen = pRbow && pRbow->IsFullscreen();
    if (pRbow) pRbow->HideWindow();
    std::string chosen = RunFileDialog(args);
    if (!start.empty() && chdir(start.c_str()) != 0) std::perror(start.c_str());
    RestoreGameWindow(wasFullscreen);

    if (chosen.empty() || static_cast<int>(chosen.size()) > KvStr::kMaxAssign) return result;
    result = chosen.c_str();
    ReverseSlashes(result);
    return result;
}

double SHELLCMD(const KvStr& command, double wait, double /*show*/, double& code) {
    code = 0;
    int exitCode = 0;
    ShellResult result = RunShellCommand(command.GetStrData(), wait != 0, exitCode);
    if (result == ShellResult::kNotStarted) return 0;
    // A child that could not be waited for still counts as started; its code stays 0.
    if (result == ShellResult::kFinished) code = static_cast<unsigned>(exitCode);
    return 1;
}
