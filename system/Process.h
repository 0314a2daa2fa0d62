// Starting programs on POSIX: the shell commands of SHELLCMD and the programs the
// file dialog runs.
#pragma once

#include <string>
#include <vector>

enum class ShellResult {
    kNotStarted,    // no shell could be started
    kFinished,      // waited for: exitCode holds its code (128 + signal when killed)
    kNotWaitedFor,  // started in the background, or lost while waiting
};

// Runs command through /bin/sh -c. Waiting, the call returns a tenth of a second
// after the command ended; otherwise the command runs on its own in the background
// and is never left as a child of the program.
ShellResult RunShellCommand(const char* command, bool wait, int& exitCode);

// The program's path found along $PATH, or "" when it is not there.
std::string FindProgram(const char* program);

// Runs the program (args[0] searched on $PATH) with standard error discarded and
// returns its standard output (at most 8 KiB of it); false when it could not be
// started or did not exit with 0.
bool RunAndCapture(const std::vector<std::string>& args, std::string& output);
