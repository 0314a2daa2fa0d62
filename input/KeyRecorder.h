// The keys a person presses, written frame by frame as a key script, so that the
// same program run with that script (and the same seed) sees the same keys:
//
//   # kip key recording, seed 1234567
//   12 down 57        space went down for frame 12 and stays down
//   20 up 57
//   31 tap 203        left was pressed and let go between two frames
//
// Lines are written as the keys change and flushed each frame, so a run that ends
// badly still leaves the keys that led there.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class KeyRecorder {
  public:
    KeyRecorder() = default;
    ~KeyRecorder() { Close(); }
    KeyRecorder(const KeyRecorder&) = delete;
    KeyRecorder& operator=(const KeyRecorder&) = delete;

    // Makes the file (replacing an old one). False with a message when it cannot.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return m_file != nullptr; }
    // The first line: the seed the run's random numbers started from.
    bool WriteSeed(uint32_t seed);
    // The keys the program sees during frame (0x80 each), and which of them are still
    // held as the frame starts: the others were pressed and let go since the last
    // frame recorded. False once a write failed.
    bool RecordFrame(long frame, const uint8_t seen[256], const uint8_t held[256]);
    // False when some of the file could not be written.
    bool Close();

  private:
    bool WriteLine(long frame, const char* action, const bool keys[256]);

    std::FILE* m_file = nullptr;
    bool m_failed = false;
    bool m_held[256] = {};  // as the script written so far holds them
};
