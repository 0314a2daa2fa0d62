// Sound: the sound slots' buffer rules, the sound commands and the music loop, heard
// through SDL's "disk" audio driver, which writes the mixed output (16-bit stereo at
// 22050 Hz) to a file. The WAV reader alone is tested in wav_test.cpp.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "commands/ProgramFrame.h"
#include "commands/cmd_sound.h"
#include "runtime/Options.h"
#include "sound/SFXSound.h"
#include "sound/WavReader.h"
#include "tests/sound/WavFiles.h"

namespace {

// ---- slots without a device --------------------------------------------------------

TEST(SoundSlots, NoDeviceMeansSilentFailure) {
    KvOptions().headless = true;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SFXSound device;
    EXPECT_EQ(device.Create(nullptr), 0);
    WavSpec spec;
    std::string path = WriteTemp(MakeWav(spec), "nodevice.wav");
    SFXSoundBuffer slot;
    EXPECT_FALSE(slot.Load(&device, path.c_str(), 2));
    EXPECT_EQ(slot.BufferCount(), 0);
    EXPECT_FALSE(slot.Play(0, 0, 0));
    EXPECT_FALSE(slot.Stop());
    EXPECT_FALSE(slot.Load(nullptr, path.c_str(), 1));
    KvOptions().headless = false;
    std::remove(path.c_str());
}

// ---- through the disk audio driver -----------------------------------------------------

// The recorded output: interleaved left/right 16-bit samples.
struct Recording {
    std::vector<int16_t> samples;
    size_t Frames() const { return samples.size() / 2; }
    int Peak(int channel, size_t from = 0, size_t to = SIZE_MAX) const {
        int peak = 0;
        for (size_t f = from; f < Frames() && f < to; ++f)
            peak = std::max(peak, std::abs(int(samples[2 * f + channel])));
        return peak;
    }
};

class DiskSound : public ::testing::Test {
  protected:
    void SetUp() override {
        m_output = SoundFolder() / "output.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", m_output.c_str(), 1);
        KvOptions().headless = false;
        pDXsnd = &m_device;
        ASSERT_EQ(m_device.Create(nullptr), 1) << SDL_GetError();
        int rate = 0, channels = 0;
        Uint16 format = 0;
        ASSERT_TRUE(Mix_QuerySpec(&rate, &format, &channels));
        ASSERT_EQ(rate, 22050);
        ASSERT_EQ(format, AUDIO_S16SYS);
        ASSERT_EQ(channels, 2);
        DXwav = new SFXSoundBuffer[kSoundSlots];
    }
    void TearDown() override {
        Close();
        for (const std::string& file : m_files) std::remove(file.c_str());
        std::remove(m_output.c_str());
    }
    void Close() {
        if (!DXwav) return;
        STOPMUSIC();
        delete[] DXwav;
        DXwav = nullptr;
        m_device.Close();
        pDXsnd = nullptr;
    }
    std::string Wav(const WavSpec& spec, const char* name) { return Keep(MakeWav(spec), name); }
    std::string Keep(const std::vector<uint8_t>& file, const char* name) {
        m_files.push_back(WriteTemp(file, name));
        return m_files.back();
    }
    // A tone of the given length in milliseconds, 16-bit mono at 22050 Hz.
    std::string Tone(int milliseconds, const char* name) {
        WavSpec spec;
        spec.frames = 22050 * milliseconds / 1000;
        return Wav(spec, name);
    }
    // Closes the device and reads what it played.
    Recording Finish() {
        Close();
        Recording recording;
        std::ifstream in(m_output, std::ios::binary);
        int16_t sample;
        while (in.read(reinterpret_cast<char*>(&sample), 2)) recording.samples.push_back(sample);
        return recording;
    }
    // Polls until the condition holds; false when it still does not after 10 s (a
    // loaded machine may play late, but not that late).
    static bool WaitUntil(const std::function<bool()>& condition) {
        Uint64 deadline = SDL_GetTicks64() + 10000;
        while (!condition()) {
            if (SDL_GetTicks64() > deadline) return false;
            SDL_Delay(5);
        }
        return true;
    }
    // Waits until the slot's first buffer has played to its end.
    static bool WaitForEnd(const SFXSoundBuffer& slot) {
        return WaitUntil([&] { return !slot.BufferPlaying(0); });
    }
    // Frames the device has written to its file so far.
    size_t RecordedFrames() const {
        std::error_code error;
        auto bytes = std::filesystem::file_size(m_output, error);
        return error ? 0 : size_t(bytes) / 4;
    }
    // Waits until the device has written this many more frames (at 22050 a second).
    bool Record(size_t frames) {
        size_t until = RecordedFrames() + frames;
        return WaitUntil([&] { return RecordedFrames() >= until; });
    }

    SFXSound m_device;
    std::string m_output;
    std::vector<std::string> m_files;
};

TEST_F(DiskSound, BufferCountsAreClamped) {
    std::string tone = Tone(50, "count.wav");
    SFXSoundBuffer slot;
    for (auto [asked, made] : {std::pair{0, 1}, {-3, 1}, {1, 1}, {3, 3}, {4, 4}, {9, 4}}) {
        EXPECT_TRUE(slot.Load(&m_device, tone.c_str(), asked));
        EXPECT_EQ(slot.BufferCount(), made) << asked;
    }
    // A failed load leaves the slot empty.
    EXPECT_FALSE(slot.Load(&m_device, "/nonexistent.wav", 2));
    EXPECT_EQ(slot.BufferCount(), 0);
    EXPECT_FALSE(slot.Play(0, 0, 0));
    EXPECT_FALSE(slot.Stop());
}

TEST_F(DiskSound, OneBufferIsNotRestartedWhilePlaying) {
    SFXSoundBuffer slot;
    ASSERT_TRUE(slot.Load(&m_device, Tone(300, "one.wav").c_str(), 1));
    EXPECT_TRUE(slot.Play(0, 0, 0));
    EXPECT_TRUE(slot.BufferPlaying(0));
    EXPECT_FALSE(slot.Play(0, 0, 0));  // the only copy is busy
    EXPECT_TRUE(WaitUntil([&] { return !slot.BufferPlaying(0); }));
    EXPECT_TRUE(slot.Play(0, 0, 0));  // finished: plays again
    EXPECT_TRUE(slot.Stop());
    EXPECT_FALSE(slot.BufferPlaying(0));
}

TEST_F(DiskSound, ThirdPlayOfTwoBuffersCutsOffTheOldest) {
    SFXSoundBuffer slot;
    ASSERT_TRUE(slot.Load(&m_device, Tone(1000, "two.wav").c_str(), 2));
    EXPECT_TRUE(slot.Play(0, 0, 0));
    EXPECT_EQ(slot.CurrentBuffer(), 0);
    EXPECT_TRUE(slot.Play(0, 0, 0));
    EXPECT_EQ(slot.CurrentBuffer(), 1);
    EXPECT_TRUE(slot.BufferPlaying(0));
    EXPECT_TRUE(slot.BufferPlaying(1));
    EXPECT_TRUE(slot.Play(0, 0, 0));  // buffer 0 again, from its start
    EXPECT_EQ(slot.CurrentBuffer(), 0);
    EXPECT_TRUE(slot.BufferPlaying(0));
    EXPECT_TRUE(slot.BufferPlaying(1));
}

TEST_F(DiskSound, PlayedSoundReachesTheOutputAndHushSilencesIt) {
    LOADSOUND(Tone(3000, "long.wav").c_str(), 5, 1);
    ASSERT_EQ(DXwav[5].BufferCount(), 1);
    PLAYSOUND(5, 0, 1);
    ASSERT_TRUE(Record(22050 * 3 / 10));
    HUSH();
    EXPECT_FALSE(DXwav[5].BufferPlaying(0));
    ASSERT_TRUE(Record(22050 / 2));
    Recording out = Finish();
    ASSERT_GT(out.Frames(), 22050u * 6 / 10);  // at least 0.8 s were recorded
    EXPECT_GT(out.Peak(0), 15000);
    EXPECT_GT(out.Peak(1), 15000);
    // The last 0.25 s (well after HUSH) are silent, though the sound was 3 s long.
    size_t tail = out.Frames() - 22050 / 4;
    EXPECT_EQ(out.Peak(0, tail), 0);
    EXPECT_EQ(out.Peak(1, tail), 0);
}

TEST_F(DiskSound, FullRightPanLeavesTheLeftSilent) {
    WavSpec stereo;
    stereo.channels = 2;
    stereo.rate = 44100;  // converted to the device's rate on loading
    stereo.frames = 44100 / 5;
    LOADSOUND(Wav(stereo, "pan.wav").c_str(), 7, 1);
    PLAYSOUND(7, 2, 1);  // beyond full right: clamped
    ASSERT_TRUE(Record(22050 * 4 / 10));
    Recording out = Finish();
    EXPECT_EQ(out.Peak(0), 0);
    EXPECT_GT(out.Peak(1), 15000);
}

TEST_F(DiskSound, FullLeftPanLeavesTheRightSilent) {
    LOADSOUND(Tone(200, "left.wav").c_str(), 7, 1);
    PLAYSOUND(7, -1, 1);
    ASSERT_TRUE(Record(22050 * 4 / 10));
    Recording out = Finish();
    EXPECT_GT(out.Peak(0), 15000);
    EXPECT_EQ(out.Peak(1), 0);
}

// A pan takes hundredths of a decibel from the other side: 0.1 is 1000, so the left
// side is 10 dB down, 10^(-10/20) = 0.316 of the right; -0.25 takes 25 dB, 0.056,
// from the right.
TEST_F(DiskSound, PartialPanAttenuatesTheOtherSideByDecibels) {
    std::string tone = Tone(200, "partial.wav");
    LOADSOUND(tone.c_str(), 3, 1);
    LOADSOUND(tone.c_str(), 4, 1);
    PLAYSOUND(3, 0.1, 1);
    ASSERT_TRUE(Record(22050 * 4 / 10));
    size_t second = RecordedFrames();
    PLAYSOUND(4, -0.25, 1);
    ASSERT_TRUE(Record(22050 * 4 / 10));
    Recording out = Finish();
    double rightFirst = out.Peak(1, 0, second), leftFirst = out.Peak(0, 0, second);
    ASSERT_GT(rightFirst, 15000);
    EXPECT_NEAR(leftFirst / rightFirst, 0.316, 0.02);
    double leftSecond = out.Peak(0, second), rightSecond = out.Peak(1, second);
    ASSERT_GT(leftSecond, 15000);
    EXPECT_NEAR(rightSecond / leftSecond, 0.056, 0.01);
}

TEST_F(DiskSound, EightBitMonoAndVolume) {
    WavSpec mono8;
    mono8.bits = 8;
    mono8.rate = 8000;
    mono8.frames = 8000 / 5;
    std::string path = Wav(mono8, "quiet.wav");
    LOADSOUND(path.c_str(), 1, 1);
    LOADSOUND(path.c_str(), 2, 1);
    PLAYSOUND(1, 0, 0);  // volume 0: silent
    ASSERT_TRUE(Record(22050 * 4 / 10));
    PLAYSOUND(2, 0, 0.5);  // half the amplitude
    ASSERT_TRUE(Record(22050 * 4 / 10));
    Recording out = Finish();
    size_t half = 22050 * 4 / 10;
    EXPECT_EQ(out.Peak(0, 0, half - 2000), 0);
    int peak = out.Peak(0, half - 2000);
    EXPECT_GT(peak, 7000);
    EXPECT_LT(peak, 13000);
}

TEST_F(DiskSound, SlotNumbersOutOfRange) {
    std::string tone = Tone(300, "range.wav");
    LOADSOUND(tone.c_str(), 500, 1);  // above 127: slot 127
    EXPECT_EQ(DXwav[127].BufferCount(), 1);
    LOADSOUND(tone.c_str(), -1, 1);  // negative: nothing
    PLAYSOUND(-1, 0, 1);
    for (int slot = 0; slot < 127; ++slot) ASSERT_EQ(DXwav[slot].BufferCount(), 0) << slot;
    PLAYSOUND(200, 0, 1);
    EXPECT_TRUE(DXwav[127].BufferPlaying(0));
    LOADSOUND("/nonexistent/sound.wav", 127, 1);  // missing: the slot keeps its sound
    EXPECT_EQ(DXwav[127].BufferCount(), 1);
}

// ---- a tune asked for every frame, a stop, the size of the mixer's blocks ---------------

// 16-bit mono at 22050 Hz, one value per frame.
std::vector<uint8_t> Samples16(const std::vector<int>& values) {
    std::vector<uint8_t> bytes;
    for (int v : values) Put16(bytes, uint16_t(int16_t(v)));
    return bytes;
}

// Plays the slot as a game's loop does: asked for again every 16 ms for `milliseconds`.
// Returns the longest time between two asks (a busy machine may keep the test waiting).
Uint64 AskEveryFrame(SFXSoundBuffer& slot, int milliseconds) {
    Uint64 longest = 0, last = SDL_GetTicks64();
    for (Uint64 end = last + Uint64(milliseconds); SDL_GetTicks64() < end;) {
        slot.Play(0, 0, 0);
        longest = std::max(longest, SDL_GetTicks64() - last);
        last = SDL_GetTicks64();
        SDL_Delay(16);
    }
    return longest;
}

TEST_F(DiskSound, ATuneAskedForEveryFrameRepeatsWithoutAGap) {
    // 150 ms of a slow cosine riding on a steady level: it never reaches zero, so a gap
    // shows as silence, and a restart anywhere but at its start as a wrong value.
    std::vector<int> tune;
    for (int f = 0; f < 3307; ++f)
        tune.push_back(int(std::lround(9000 + 6000 * std::cos(2 * std::numbers::pi * f / 441.0))));
    WavSpec spec;
    spec.frames = int(tune.size());
    std::string file = Keep(WavFile(spec, Samples16(tune)), "tune.wav");
    Recording out;
    // A program that does not ask every frame has no claim to a gapless tune: when the
    // machine kept this test from asking for longer than two frames, it runs again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) SetUp();
        SFXSoundBuffer slot;
        ASSERT_TRUE(slot.Load(&m_device, file.c_str(), 1));
        ASSERT_TRUE(slot.Play(0, 0, 0));
        Uint64 late = AskEveryFrame(slot, 700);  // about four and a half passes
        ASSERT_TRUE(WaitForEnd(slot));  // no longer asked for: the pass playing is the last
        ASSERT_TRUE(Record(22050 / 10));
        out = Finish();
        if (late <= 33) break;
    }

    size_t start = 0;
    while (start < out.Frames() && out.samples[2 * start] == 0) ++start;
    size_t end = start;
    while (end < out.Frames() && out.samples[2 * end] != 0) ++end;
    size_t length = tune.size(), heard = end - start;
    ASSERT_GE(heard, 4 * length) << "the passes did not follow one another";
    // Whole passes, one straight after the other, each the tune from its start.
    EXPECT_EQ(heard % length, 0u) << heard << " frames heard, passes of " << length;
    size_t mismatches = 0;
    for (size_t f = 0; f < heard; ++f)
        for (int c = 0; c < 2; ++c) {
            int got = out.samples[2 * (start + f) + c], want = tune[f % length];
            if (std::abs(got - want) > 2 && mismatches++ < 5)
                ADD_FAILURE() << "pass " << f / length << ", frame " << f % length << ": " << got
                              << ", want " << want;
        }
    EXPECT_EQ(mismatches, 0u);
    // After the last pass, silence to the end of the recording.
    EXPECT_EQ(out.Peak(0, end), 0);
    EXPECT_EQ(out.Peak(1, end), 0);
}

TEST_F(DiskSound, ASoundPlayedOnceOrAskedForOnceMorePlaysOnce) {
    std::vector<int> level(22050 * 3 / 10, 12000);  // 300 ms
    WavSpec spec;
    spec.frames = int(level.size());
    SFXSoundBuffer slot;
    ASSERT_TRUE(slot.Load(&m_device, Keep(WavFile(spec, Samples16(level)), "once.wav").c_str(), 1));
    ASSERT_TRUE(slot.Play(0, 0, 0));
    SDL_Delay(150);
    EXPECT_FALSE(slot.Play(0, 0, 0));  // one more ask of a sound effect: no second pass
    ASSERT_TRUE(WaitForEnd(slot));
    ASSERT_TRUE(Record(22050 / 5));
    Recording out = Finish();
    size_t loud = 0;
    for (size_t f = 0; f < out.Frames(); ++f) loud += out.samples[2 * f] != 0;
    EXPECT_EQ(loud, level.size());
}

TEST_F(DiskSound, HushFadesTheWaveOutInsteadOfCuttingIt) {
    // A 440 Hz sine, 3 s: from one frame to the next it moves at most 2 pi 440 / 22050 of
    // its amplitude, about 2006; a cut mid-cycle jumps by up to the whole amplitude.
    constexpr double kAmplitude = 16000;
    std::vector<int> sine;
    for (int f = 0; f < 3 * 22050; ++f)
        sine.push_back(int(std::lround(kAmplitude * std::sin(2 * std::numbers::pi * 440 * f / 22050))));
    WavSpec spec;
    spec.frames = int(sine.size());
    std::string file = Keep(WavFile(spec, Samples16(sine)), "sine.wav");
    LOADSOUND(file.c_str(), 5, 1);
    for (int round = 0; round < 4; ++round) {  // the wave is stopped at four moments
        PLAYSOUND(5, 0, 1);
        ASSERT_TRUE(Record(22050 / 5 + 1000 * round));
        HUSH();
        EXPECT_FALSE(DXwav[5].BufferPlaying(0));  // stopped for the program at once
        // The last time the slot is loaded again straight away, as a level start does.
        if (round == 3) LOADSOUND(file.c_str(), 5, 1);
        ASSERT_TRUE(Record(22050 / 10));
    }
    Recording out = Finish();
    const double naturalStep = 2 * std::numbers::pi * 440 / 22050 * kAmplitude;
    int ends = 0;
    for (size_t f = 1; f < out.Frames(); ++f) {
        int step = std::abs(out.samples[2 * f] - out.samples[2 * f - 2]);
        ASSERT_LE(step, naturalStep * 1.1) << "frame " << f << ": a jump from "
                                           << out.samples[2 * f - 2] << " to " << out.samples[2 * f];
        bool silenceBegins = out.samples[2 * f] == 0 && out.samples[2 * f - 2] != 0 &&
                             f + 100 < out.Frames() && out.Peak(0, f, f + 100) == 0;
        if (!silenceBegins) continue;
        ++ends;
        // The fade takes a few milliseconds: the last 2 ms are below half the amplitude,
        // and the sound is still there 10 ms before its end.
        EXPECT_LT(out.Peak(0, f - 44, f), kAmplitude / 2) << "end at frame " << f;
        EXPECT_GT(out.Peak(0, f - 441, f - 220), kAmplitude / 2) << "end at frame " << f;
    }
    EXPECT_EQ(ends, 4);
}

TEST_F(DiskSound, TheMixerComputesAtMostA40thOfASecondAtATime) {
    // A sound asked for waits for the next block the mixer computes: blocks of 512
    // frames (23 ms at 22050 Hz) keep that wait short.
    static std::atomic<int> largest{0};
    largest = 0;
    Mix_SetPostMix([](void*, Uint8*, int bytes) { largest = std::max(largest.load(), bytes); },
                   nullptr);
    ASSERT_TRUE(Record(22050 / 5));
    Mix_SetPostMix(nullptr, nullptr);
    ASSERT_GT(largest.load(), 0);
    EXPECT_LE(largest.load() / 4, 22050 / 40) << largest.load() / 4 << " frames";
}

TEST_F(DiskSound, MusicLoopsAndStops) {
    std::string piece = Tone(100, "music.wav");
    EXPECT_EQ(PLAYMUSIC(piece.c_str()), 0);
    EXPECT_TRUE(m_device.Mixer().MusicLoaded());
    EXPECT_TRUE(Mix_PlayingMusic());
    EXPECT_TRUE(WaitUntil([&] { return m_device.Mixer().MusicAtEnd(); }));
    KvMusicLoopCheck();  // as SHOWSCREEN does: the piece starts again
    EXPECT_FALSE(m_device.Mixer().MusicAtEnd());
    EXPECT_TRUE(Mix_PlayingMusic());
    HUSH();  // leaves the music alone
    EXPECT_TRUE(Mix_PlayingMusic());
    // A missing piece still stops the one playing.
    EXPECT_EQ(PLAYMUSIC("/nonexistent/music.wav"), 3);
    EXPECT_FALSE(m_device.Mixer().MusicLoaded());
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_EQ(PLAYMUSIC(piece.c_str()), 0);
    STOPMUSIC();
    EXPECT_FALSE(m_device.Mixer().MusicLoaded());
    KvMusicLoopCheck();  // no music: nothing starts
    EXPECT_FALSE(Mix_PlayingMusic());
}

// ---- every sample rate plays whole ---------------------------------------------------

constexpr uint32_t kDeviceRate = 22050;

struct SoundFormat {
    uint32_t rate;
    int bits;
    int channels;
    bool fact;  // a "fact" chunk before the data
};

std::vector<SoundFormat> FormatsToPlay() {
    std::vector<SoundFormat> formats;
    for (uint32_t rate : {4000u, 8000u, 11025u, 22050u, 44100u, 48000u, 96000u})
        for (int bits : {8, 16})
            for (int channels : {1, 2}) formats.push_back({rate, bits, channels, rate == 8000});
    return formats;
}

std::string FormatName(const ::testing::TestParamInfo<SoundFormat>& info) {
    const SoundFormat& f = info.param;
    return std::to_string(f.rate) + "Hz_" + std::to_string(f.bits) + "bit_" +
           (f.channels == 1 ? "mono" : "stereo") + (f.fact ? "_fact" : "");
}

// A 220 Hz cosine on the left and a 330 Hz one on the right (a mono sound has the
// left one), each riding on a steady level: the sound never crosses zero, is loud at
// both ends and tells the sides apart.
std::vector<uint8_t> TwoToneSamples(const WavSpec& s) {
    std::vector<uint8_t> samples;
    for (int f = 0; f < s.frames; ++f)
        for (int c = 0; c < s.channels; ++c) {
            double phase = 2 * std::numbers::pi * (c == 0 ? 220 : 330) * f / s.rate;
            int value = int(std::lround(12000 + 8000 * std::cos(phase)));
            if (s.bits == 8)
                samples.push_back(uint8_t(128 + value / 256));
            else
                Put16(samples, uint16_t(int16_t(value)));
        }
    return samples;
}

// The sample bytes as left/right pairs in 16-bit units: 8-bit samples are unsigned
// around 128, 16-bit ones signed little-endian; a mono sound is heard on both sides.
using FramePair = std::array<int, 2>;
std::vector<FramePair> DecodeFrames(const std::vector<uint8_t>& bytes, int bits, int channels) {
    size_t bytesPerSample = size_t(bits / 8);
    std::vector<FramePair> frames;
    for (size_t at = 0; at + bytesPerSample * channels <= bytes.size();) {
        FramePair frame{};
        for (int c = 0; c < channels; ++c, at += bytesPerSample)
            frame[c] =
                bits == 8 ? (bytes[at] - 128) * 256 : int16_t(bytes[at] | bytes[at + 1] << 8);
        if (channels == 1) frame[1] = frame[0];
        frames.push_back(frame);
    }
    return frames;
}

// What the device should play at its frame f: the sound at that moment, on the
// straight line between the sound's two nearest frames (past the last, the last).
double ExpectedAt(const std::vector<FramePair>& frames, uint32_t rate, size_t f, int channel) {
    double position = double(f) * rate / kDeviceRate;
    size_t i = std::min(size_t(position), frames.size() - 1);
    double here = frames[i][channel];
    double next = i + 1 < frames.size() ? frames[i + 1][channel] : here;
    return here + (next - here) * (position - double(i));
}

class WholeSound : public DiskSound, public ::testing::WithParamInterface<SoundFormat> {};

TEST_P(WholeSound, EveryFrameReachesTheOutput) {
    const SoundFormat& format = GetParam();
    WavSpec spec;
    spec.rate = format.rate;
    spec.bits = format.bits;
    spec.channels = format.channels;
    spec.fact = format.fact;
    spec.frames = int(format.rate / 5);  // 0.2 s
    std::vector<uint8_t> samples = TwoToneSamples(spec);
    SFXSoundBuffer slot;
    ASSERT_TRUE(slot.Load(&m_device, Keep(WavFile(spec, samples), "whole.wav").c_str(), 1));
    ASSERT_TRUE(slot.Play(0, 0, 0));
    ASSERT_TRUE(WaitForEnd(slot));
    Recording out = Finish();

    // Nothing else plays and the sound never crosses zero: it spans the output from
    // its first to its last non-zero frame.
    auto silent = [&](size_t f) { return out.samples[2 * f] == 0 && out.samples[2 * f + 1] == 0; };
    size_t start = 0, end = out.Frames();
    while (start < end && silent(start)) ++start;
    while (end > start && silent(end - 1)) --end;
    ASSERT_LT(start, end) << "nothing was heard";
    double length = double(spec.frames) * kDeviceRate / format.rate;
    // Rounding at the end may take up to a frame of the sound and two of the device.
    EXPECT_NEAR(double(end - start), length, 2.0 + double(kDeviceRate) / format.rate)
        << "heard " << end - start << " frames of " << length;

    // The waveform, its first and last tenth included. At each end, where the sound
    // meets silence, a converter's filter rings for a few frames: ten frames of the
    // device or three of the sound, whichever is longer, are left to the length check.
    size_t edge = std::max<size_t>(10, size_t(std::ceil(3.0 * kDeviceRate / format.rate)));
    constexpr double kTolerance = 655;  // 2 % of full scale
    std::vector<FramePair> frames = DecodeFrames(samples, format.bits, format.channels);
    ASSERT_EQ(frames.size(), size_t(spec.frames));
    size_t heard = std::min(end - start, size_t(length));
    size_t tenth = heard / 10, mismatches = 0;
    for (size_t f = edge; f + edge < heard; ++f)
        for (int c = 0; c < 2; ++c) {
            double want = ExpectedAt(frames, format.rate, f, c);
            int got = out.samples[2 * (start + f) + c];
            if (std::abs(got - want) > kTolerance && mismatches++ < 5)
                ADD_FAILURE() << (f < tenth            ? "first tenth"
                                  : f >= heard - tenth ? "last tenth"
                                                       : "middle")
                              << ", frame " << f << " channel " << c << ": " << got << ", want "
                              << want;
        }
    EXPECT_EQ(mismatches, 0u);
}

INSTANTIATE_TEST_SUITE_P(Formats, WholeSound, ::testing::ValuesIn(FormatsToPlay()), FormatName);

}  // namespace
