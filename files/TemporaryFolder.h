// The temporary directory ($TMPDIR, else /tmp) and private folders made in it: the
// error log lives there, the media boxes unpack into folders of their own there.
#pragma once

#include <cstdlib>
#include <string>

// $TMPDIR, else /tmp, without a trailing slash (but "/" stays "/").
inline std::string TemporaryRoot() {
    const char* env = std::getenv("TMPDIR");
    std::string root = env && *env ? env : "/tmp";
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
}

// Makes a new folder, owner-only, named prefix plus six random characters in the
// temporary directory; false (path empty) when it cannot be made.
inline bool MakePrivateFolder(const std::string& prefix, std::string& path) {
    std::string pattern = TemporaryRoot() + "/" + prefix + "XXXXXX";
    path = mkdtemp(pattern.data()) ? pattern : "";
    return !path.empty();
}
