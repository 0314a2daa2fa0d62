// Shared by the tests: a fresh folder that is removed with everything in it when the
// test ends, running a shell command with its output captured, and reading a file.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "files/TemporaryFolder.h"

class TestFolder {
  public:
    // A new folder under $TMPDIR (else /tmp) whose name starts with prefix.
    explicit TestFolder(const std::string& prefix = "kip_test") {
        MakePrivateFolder(prefix + "_", m_path);
    }
    ~TestFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    bool Made() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    // The path of an entry of the folder.
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

struct CommandResult {
    int exitCode = -1;   // -1 when the command did not end normally
    std::string output;  // standard output and standard error
};

// Runs a shell command and captures what it prints.
inline CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The whole file as bytes; empty when it cannot be read.
inline std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
