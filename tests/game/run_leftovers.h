// What a finished run of the game leaves to check: the end of its error log and the
// unpacking folders still standing in its $TMPDIR.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

// The unpacking folders in a folder ("kvmedia-<pid>-XXXXXX").
inline std::vector<std::string> UnpackingFolders(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("kvmedia-", 0) == 0) found.push_back(name);
    }
    return found;
}

// The five closing lines of a normal end: "-End On Line", code 0, then the error line,
// the last line and its source file (wherever the game was); nothing after them.
inline bool EndsNormally(const std::string& log) {
    const std::size_t at = log.find("-End On Line\r\n");
    if (at == std::string::npos) return false;
    std::vector<std::string> lines;
    std::size_t start = at + 14;
    for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(log.substr(start, end - start));
    auto isNumber = [](const std::string& text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    };
    return start == log.size() && lines.size() == 4 && lines[0] == "0" && isNumber(lines[1]) &&
           isNumber(lines[2]) && isNumber(lines[3]);
}
