// The desktop's file dialog, run as a program of its own (zenity, else kdialog).
#pragma once

#include <string>
#include <vector>

// The dialog's command line for a filter such as "Pictures|*.bmp;*.png|All|*.*",
// starting in folder; empty when no dialog program is installed.
std::vector<std::string> FileDialogCommand(bool load, const char* filter,
                                           const std::string& folder);

// Runs the dialog and returns the chosen path, or "" when nothing was chosen.
std::string RunFileDialog(const std::vector<std::string>& command);
