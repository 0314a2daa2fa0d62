// The wildcard matcher of GETFILELIST.
#include "files/WildMatch.h"

#include <cctype>

bool szWildMatch(const char* pattern, const char* name) {
    const char* afterStar = nullptr;  // the pattern just after the last "*"
    const char* starName = nullptr;   // where that "*" began to match in the name
    while (*name) {
        if (*pattern == '*') {
            afterStar = ++pattern;
            starName = name;
            continue;
        }
        bool same = *pattern == '?'
                        ? *name != '.'
                        : *pattern && std::tolower(static_cast<unsigned char>(*pattern)) ==
                                          std::tolower(static_cast<unsigned char>(*name));
        if (same) {
            ++pattern;
            ++name;
            continue;
        }
        if (!afterStar) return false;
        pattern = afterStar;
        name = ++starName;
    }
    while (*pattern == '*') ++pattern;
    return *pattern == 0;
}
