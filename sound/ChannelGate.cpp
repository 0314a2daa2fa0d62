// The channel gate: passes that follow one another, silence after the last, the fade
// after a stop.
#include "sound/ChannelGate.h"

#include <algorithm>
#include <cstring>

void ChannelGate::Start(int passBytes, int frameBytes, int fadeFrames, bool forever) {
    m_passBytes = passBytes > 0 ? passBytes : 1;
    m_frameBytes = frameBytes > 0 ? frameBytes : 1;
    m_fadeFrames = fadeFrames > 0 ? fadeFrames : 1;
    m_forever = forever;
    m_position = 0;
    m_passes = 0;
    m_fadeLeft = 0;
    m_fading = false;
    m_asks.store(0);
    m_lastAsk.store(0);
    m_askInterval.store(0);
    m_stopRequested.store(false);
    m_ended.store(false);
}

void ChannelGate::AskAgain(uint32_t nowMilliseconds) {
    m_askInterval.store(nowMilliseconds - m_lastAsk.exchange(nowMilliseconds));
    m_asks.fetch_add(1);
}

bool ChannelGate::NextPassFollows(uint32_t nowMilliseconds) {
    int asks = m_asks.exchange(0);
    if (m_forever) return true;
    uint32_t window = std::min(kLongestFollowWindowMilliseconds,
                               2 * m_askInterval.load() + kFollowSlackMilliseconds);
    return asks >= kAsksToFollow && nowMilliseconds - m_lastAsk.load() <= window;
}

// A straight ramp from the level the fade has reached down to silence.
void ChannelGate::Fade(int16_t* samples, int frames) {
    int channels = m_frameBytes / int(sizeof(int16_t));
    for (int f = 0; f < frames; ++f, samples += channels) {
        double gain = m_fadeLeft > 0 ? double(m_fadeLeft) / (m_fadeFrames + 1) : 0.0;
        if (m_fadeLeft > 0) --m_fadeLeft;
        for (int c = 0; c < channels; ++c) samples[c] = int16_t(samples[c] * gain);
    }
    if (m_fadeLeft == 0) m_ended.store(true);
}

void ChannelGate::Process(int16_t* samples, int bytes, uint32_t nowMilliseconds) {
    while (bytes > 0) {
        // A piece is taken up to the end of the pass it is in.
        int piece = std::min(bytes, m_passBytes - m_position);
        if (m_position == 0 && m_passes++ > 0 && !m_ended.load() && !NextPassFollows(nowMilliseconds))
            m_ended.store(true);
        if (!m_fading && m_stopRequested.load() && !m_ended.load()) {
            m_fading = true;
            m_fadeLeft = m_fadeFrames;
        }
        if (m_ended.load())
            std::memset(samples, 0, size_t(piece));
        else if (m_fading)
            Fade(samples, piece / m_frameBytes);
        m_position = (m_position + piece) % m_passBytes;
        samples += piece / int(sizeof(int16_t));
        bytes -= piece;
    }
}
