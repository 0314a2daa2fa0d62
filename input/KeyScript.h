// Scripted keys: a small text file that says which keys are down in which frame,
// read instead of the keyboard so that programs can run with nobody at the keys.
//
//   # a comment (from '#' to the end of the line)
//   FRAME down KEY...   these keys go down at the start of frame FRAME and stay down
//   FRAME up KEY...     these keys are released at the start of frame FRAME
//   FRAME tap KEY...    these keys are down during frame FRAME only
//
// FRAME is the number of screens shown so far (0 before the first); KEY is a key
// number 0-255 (1 Escape, 57 space, 203 left, ...). Lines apply in frame order, and
// lines of the same frame in file order. A first line "# ... seed N" (as a recording
// begins) names the seed the keys were recorded with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class KeyScript {
  public:
    // Parses the script text; on failure the message names the source and line.
    bool Parse(const std::string& text, const std::string& sourceName, std::string& error);
    // Reads and parses a file.
    bool LoadFile(const std::string& path, std::string& error);

    // The key state during the given frame: 0x80 for each key that is down. The state
    // is worked out once per frame, applying the events since the frame asked before,
    // so asking costs the same however long the script is; an earlier frame starts
    // the script over.
    void StateAt(long frame, uint8_t state[256]) const;
    bool Empty() const { return m_events.empty(); }
    // The seed named in the first line, if any.
    bool HasSeed() const { return m_hasSeed; }
    uint32_t Seed() const { return m_seed; }

  private:
    enum class Action { Down, Up, Tap };
    struct Event {
        long frame;
        Action action;
        uint8_t key;
    };
    // How far the script has been played: the state of one frame.
    struct Playback {
        long frame = -1;        // no events before frame 0: nothing is down
        std::size_t next = 0;   // the first event not yet applied
        bool held[256] = {};    // keys down by 'down' lines
        uint8_t state[256] = {};
    };
    bool ParseLine(const std::string& line, int lineNumber, const std::string& sourceName,
                   std::string& error);
    void PlayTo(long frame) const;
    void ReadSeed(const std::string& firstLine);
    std::vector<Event> m_events;
    bool m_hasSeed = false;
    uint32_t m_seed = 0;  // sorted by frame, file order kept within a frame
    mutable Playback m_playback;  // a cache of StateAt: the script itself does not change
};
