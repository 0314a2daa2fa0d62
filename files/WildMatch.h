// The wildcard matcher of the directory listing.
#pragma once

// Matches a name against a wildcard pattern: "*" any run of characters, "?" any one
// character but ".", letters without regard to case.
bool szWildMatch(const char* pattern, const char* name);
