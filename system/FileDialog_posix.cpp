// The desktop's file dialog: its command line and its answer.
#include "system/FileDialog.h"
#include "system/Process.h"

namespace {
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
}  // namespace

std::vector<std::string> FileDialogCommand(bool load, const char* filter,
                                           const std::string& folder) {
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

std::string RunFileDialog(const std::vector<std::string>& command) {
    std::string output;
    if (!RunAndCapture(command, output)) return "";
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    return output;
}
