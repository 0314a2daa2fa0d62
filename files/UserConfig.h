// The player's own settings folder, $XDG_CONFIG_HOME/kip (else ~/.config/kip), and
// the remembered answers kept there, one small file each.
#pragma once

#include <string>

// The folder, or "" when neither $XDG_CONFIG_HOME nor $HOME names an absolute path
// (a relative XDG_CONFIG_HOME is ignored, as the desktop's rules say).
std::string UserConfigFolder();

// Whether the remembered answer `name` was stored.
bool UserConfigRemembers(const std::string& name);
// Stores the answer: makes the folder (owner-only) when missing and writes the
// file. False with a message when it cannot be stored.
bool UserConfigRemember(const std::string& name, std::string& error);
