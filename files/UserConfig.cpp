// The player's settings folder and the answers remembered in it.
#include "files/UserConfig.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
std::string AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? value : "";
}

// Makes the folder and its missing parents; the new ones owner-only.
bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
}  // namespace

std::string UserConfigFolder() {
    std::string base = AbsoluteVariable("XDG_CONFIG_HOME");
    if (base.empty()) {
        std::string home = AbsoluteVariable("HOME");
        if (home.empty()) return "";
        base = home + "/.config";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/kip";
}

bool UserConfigRemembers(const std::string& name) {
    std::string folder = UserConfigFolder();
    struct stat info;
    return !folder.empty() && ::stat((folder + "/" + name).c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

bool UserConfigRemember(const std::string& name, std::string& error) {
    std::string folder = UserConfigFolder();
    if (folder.empty()) {
        error = "no settings folder: neither XDG_CONFIG_HOME nor HOME is set";
        return false;
    }
    if (!MakeFolders(folder)) {
        error = "cannot make the settings folder " + folder + " (" + std::strerror(errno) + ")";
        return false;
    }
    std::string path = folder + "/" + name;
    int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (file < 0) {
        error = "cannot write " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    static const char kText[] = "yes\n";
    bool written = ::write(file, kText, sizeof kText - 1) == ssize_t(sizeof kText - 1);
    if (::close(file) != 0) written = false;
    if (!written) error = "cannot write " + path;
    return written;
}
