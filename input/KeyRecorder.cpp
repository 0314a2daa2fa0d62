// Writing the recorded keys as a key script.
#include "input/KeyRecorder.h"

#include <cerrno>
#include <cstring>

bool KeyRecorder::Open(const std::string& path, std::string& error) {
    Close();
    m_file = std::fopen(path.c_str(), "w");
    if (!m_file) {
        error = path + ": cannot write the key recording (" + std::strerror(errno) + ")";
        return false;
    }
    m_failed = false;
    std::memset(m_held, 0, sizeof m_held);
    return true;
}

bool KeyRecorder::WriteSeed(uint32_t seed) {
    if (!m_file) return false;
    if (std::fprintf(m_file, "# kip key recording, seed %lu\n", static_cast<unsigned long>(seed)) < 0 ||
        std::fflush(m_file) != 0)
        m_failed = true;
    return !m_failed;
}

bool KeyRecorder::WriteLine(long frame, const char* action, const bool keys[256]) {
    bool any = false;
    for (int key = 0; key < 256; ++key) {
        if (!keys[key]) continue;
        if (!any && std::fprintf(m_file, "%ld %s", frame, action) < 0) m_failed = true;
        if (std::fprintf(m_file, " %d", key) < 0) m_failed = true;
        any = true;
    }
    if (any && std::fputc('\n', m_file) == EOF) m_failed = true;
    return any;
}

bool KeyRecorder::RecordFrame(long frame, const uint8_t seen[256], const uint8_t held[256]) {
    if (!m_file) return false;
    bool up[256] = {}, down[256] = {}, tap[256] = {};
    for (int key = 0; key < 256; ++key) {
        bool isSeen = (seen[key] & 0x80) != 0;
        bool stays = isSeen && (held[key] & 0x80) != 0;
        up[key] = m_held[key] && !stays;
        down[key] = stays && !m_held[key];
        tap[key] = isSeen && !stays;
        m_held[key] = stays;
    }
    // Releases first: a key let go and tapped again in one frame is up, then tapped.
    bool wrote = WriteLine(frame, "up", up);
    wrote |= WriteLine(frame, "down", down);
    wrote |= WriteLine(frame, "tap", tap);
    if (wrote && std::fflush(m_file) != 0) m_failed = true;
    return !m_failed;
}

bool KeyRecorder::Close() {
    if (!m_file) return !m_failed;
    if (std::fclose(m_file) != 0) m_failed = true;
    m_file = nullptr;
    return !m_failed;
}
