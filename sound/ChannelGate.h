// ChannelGate: what one mixer channel lets through of the sound it repeats. A sound that
// the program keeps asking for while it plays (the game's tune, asked for every frame)
// goes on into its next pass at once, without the gap a restart one frame later would
// leave; a pass nobody asked to follow is the last, silence after it; a stop fades the
// sound out over a few milliseconds instead of cutting the wave mid-cycle (a click).
// Plain C++: the mixer hands it each piece of the channel's 16-bit output.
#pragma once

#include <atomic>
#include <cstdint>

class ChannelGate {
  public:
    // As a pass ends, the next follows when the program asked during it at least twice
    // (one late ask for a sound effect is not enough) and its last ask is recent: within
    // twice the time between its last two asks, and some slack, so a program that asks
    // every frame is in time at any frame rate, and one that stopped asking a frame or two
    // ago is not; never more than the longest window.
    static constexpr int kAsksToFollow = 2;
    static constexpr uint32_t kFollowSlackMilliseconds = 10;
    static constexpr uint32_t kLongestFollowWindowMilliseconds = 100;

    // A new sound: `passBytes` bytes a pass, `frameBytes` bytes a frame (all channels),
    // `fadeFrames` frames of fade after a stop; `forever` repeats it until stopped.
    // Only while the mixer is not running this gate.
    void Start(int passBytes, int frameBytes, int fadeFrames, bool forever);

    // From the program: the sound was asked for again while it plays.
    void AskAgain(uint32_t nowMilliseconds);
    // From the program: fade out now, then silence.
    void Stop() { m_stopRequested.store(true); }
    // True once the stop was asked for, or the sound is over.
    bool Over() const { return m_ended.load() || m_stopRequested.load(); }
    // True while a stop's fade has yet to reach silence.
    bool Fading() const { return m_stopRequested.load() && !m_ended.load(); }

    // From the mixer: the next `bytes` bytes of the channel's output, 16-bit samples,
    // changed in place.
    void Process(int16_t* samples, int bytes, uint32_t nowMilliseconds);

  private:
    // At the start of every pass after the first: whether it may follow.
    bool NextPassFollows(uint32_t nowMilliseconds);
    void Fade(int16_t* samples, int frames);

    // Set by Start; then read by the mixer only.
    int m_passBytes = 0;
    int m_frameBytes = 4;
    int m_fadeFrames = 0;
    bool m_forever = false;
    // The mixer's own.
    int m_position = 0;  // bytes into the current pass
    int m_passes = 0;    // passes begun
    int m_fadeLeft = 0;  // frames of fade still to come, once fading
    bool m_fading = false;
    // Between the program and the mixer.
    std::atomic<int> m_asks{0};  // asks during the current pass
    std::atomic<uint32_t> m_lastAsk{0};
    std::atomic<uint32_t> m_askInterval{0};  // between the last two asks
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_ended{false};
};
