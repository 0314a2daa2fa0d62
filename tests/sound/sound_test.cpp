// Sound: the WAV reader on good and damaged files; the sound slots' buffer rules,
// the sound commands and the music loop, heard through SDL's "disk" audio driver,
// which writes the mixed output (16-bit stereo at 22050 Hz) to a file.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "runtime/Frame.h"
#include "runtime/Options.h"
#include "runtime/cmd_sound.h"
#include "sound/SFXSound.h"
#include "sound/WavReader.h"

namespace {

// ---- building WAV files ----------------------------------------------------------

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void PutId(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }

struct WavSpec {
    int channels = 1;
    uint32_t rate = 22050;
    int bits = 16;
    int frames = 100;
    uint32_t formatSize = 16;
    bool fact = false;
    int amplitude = 20000;  // square wave, 16-bit units
    int period = 50;        // frames per square-wave cycle
};

// A square wave of the spec's amplitude and period, every channel alike.
std::vector<uint8_t> SquareSamples(const WavSpec& s) {
    std::vector<uint8_t> samples;
    for (int f = 0; f < s.frames; ++f) {
        int value = (f % s.period) < s.period / 2 ? s.amplitude : -s.amplitude;
        for (int c = 0; c < s.channels; ++c) {
            if (s.bits == 8)
                samples.push_back(uint8_t(128 + value / 256));
            else
                Put16(samples, uint16_t(int16_t(value)));
        }
    }
    return samples;
}

// A WAV file of the spec's format holding the given sample bytes.
std::vector<uint8_t> WavFile(const WavSpec& s, const std::vector<uint8_t>& samples) {
    int align = s.channels * s.bits / 8;
    std::vector<uint8_t> out;
    PutId(out, "RIFF");
    Put32(out, 0);  // not checked
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    Put32(out, s.formatSize);
    Put16(out, 1);
    Put16(out, uint16_t(s.channels));
    Put32(out, s.rate);
    Put32(out, s.rate * align);
    Put16(out, uint16_t(align));
    Put16(out, uint16_t(s.bits));
    for (uint32_t i = 16; i < s.formatSize; ++i) out.push_back(0);
    if (s.fact) {
        PutId(out, "fact");
        Put32(out, 4);
        Put32(out, uint32_t(s.frames));
    }
    PutId(out, "data");
    Put32(out, uint32_t(samples.size()));
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

std::vector<uint8_t> MakeWav(const WavSpec& s) { return WavFile(s, SquareSamples(s)); }

std::string WriteTemp(const std::vector<uint8_t>& bytes, const char* name) {
    std::string path = std::string("/tmp/kv_sound_") + std::to_string(getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

// ---- the WAV reader ----------------------------------------------------------------

TEST(WavReader, ReadsCommonForms) {
    WavSpec mono8;
    mono8.bits = 8;
    mono8.rate = 11025;
    std::vector<uint8_t> bytes = MakeWav(mono8);
    WavSound sound;
    std::string why;
    ASSERT_TRUE(ReadWav(bytes.data(), bytes.size(), sound, &why)) << why;
    EXPECT_EQ(sound.channels, 1);
    EXPECT_EQ(sound.bitsPerSample, 8);
    EXPECT_EQ(sound.sampleRate, 11025u);
    EXPECT_EQ(sound.sampleBytes, 100u);
    EXPECT_EQ(sound.samples, bytes.data() + 44);

    WavSpec stereo16;
    stereo16.channels = 2;
    stereo16.rate = 44100;
    bytes = MakeWav(stereo16);
    ASSERT_TRUE(ReadWav(bytes.data(), bytes.size(), sound, &why)) << why;
    EXPECT_EQ(sound.channels, 2);
    EXPECT_EQ(sound.blockAlign, 4);
    EXPECT_EQ(sound.sampleBytes, 400u);
    EXPECT_EQ(sound.samples[0] | (sound.samples[1] << 8), 20000);

    WavSpec withFact;
    withFact.fact = true;
    bytes = MakeWav(withFact);
    ASSERT_TRUE(ReadWav(bytes.data(), bytes.size(), sound, &why)) << why;
    EXPECT_EQ(sound.samples, bytes.data() + 56);
    EXPECT_EQ(sound.sampleBytes, 200u);

    for (uint32_t formatSize : {18u, 30u}) {
        WavSpec extended;
        extended.formatSize = formatSize;
        extended.fact = formatSize == 18;
        bytes = MakeWav(extended);
        ASSERT_TRUE(ReadWav(bytes.data(), bytes.size(), sound, &why)) << formatSize << ": " << why;
        EXPECT_EQ(sound.sampleBytes, 200u);
    }
}

TEST(WavReader, RefusesDamagedFiles) {
    WavSound sound;
    WavSpec base;
    base.channels = 2;
    std::vector<uint8_t> good = MakeWav(base);
    auto refuses = [&](std::vector<uint8_t> bytes, const char* what) {
        EXPECT_FALSE(ReadWav(bytes.data(), bytes.size(), sound)) << what;
        EXPECT_EQ(sound.samples, nullptr) << what;
        EXPECT_EQ(sound.sampleBytes, 0u) << what;
    };
    auto patched32 = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> b = good;
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
        return b;
    };
    auto patched16 = [&](size_t at, uint16_t v) {
        std::vector<uint8_t> b = good;
        b[at] = uint8_t(v);
        b[at + 1] = uint8_t(v >> 8);
        return b;
    };
    refuses(std::vector<uint8_t>(good.begin(), good.begin() + 35), "shorter than the header");
    refuses(std::vector<uint8_t>(good.begin(), good.begin() + 40), "cut inside the chunk header");
    refuses(std::vector<uint8_t>(good.begin(), good.end() - 1), "data cut short");
    refuses(patched32(40, 401), "more sample bytes claimed than held");
    refuses(patched32(40, 0xFFFFFFFFu), "4 GiB of samples claimed");
    refuses(patched16(22, 0), "no channels");
    refuses(patched32(24, 0), "zero rate");
    refuses(patched16(32, 0), "zero block align");
    refuses(patched16(32, 3), "block align not fitting the format");
    refuses(patched16(34, 24), "24-bit samples");
    refuses(patched32(16, 12), "format chunk too short");
    refuses(patched32(16, 0xFFFFFFF0u), "format chunk larger than the file");
    std::vector<uint8_t> list = good;
    std::memcpy(list.data() + 36, "LIST", 4);
    refuses(list, "no data chunk where expected");
    std::vector<uint8_t> oddFact = good;
    std::memcpy(oddFact.data() + 36, "fact", 4);
    refuses(oddFact, "a fact chunk swallowing the rest");

    WavSpec mono16;
    mono16.frames = 10;
    std::vector<uint8_t> odd = MakeWav(mono16);
    odd[40] = 19;  // 19 bytes of 16-bit data
    refuses(odd, "odd size of 16-bit data");
    WavSpec empty;
    empty.frames = 0;
    refuses(MakeWav(empty), "no samples");
    EXPECT_FALSE(ReadWav(nullptr, 100, sound));
}

TEST(WavReader, FilesAreReadWithinALimit) {
    WavSpec spec;
    std::string path = WriteTemp(MakeWav(spec), "limit.wav");
    std::vector<uint8_t> bytes;
    WavSound sound;
    std::string why;
    EXPECT_TRUE(ReadWavFile(path.c_str(), bytes, sound, &why)) << why;
    EXPECT_FALSE(ReadWavFile(path.c_str(), bytes, sound, &why, 100));
    EXPECT_EQ(why, "the file is too large for a sound");
    EXPECT_FALSE(ReadWavFile("/nonexistent.wav", bytes, sound, &why));
    std::remove(path.c_str());
}

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
        m_output = "/tmp/kv_sound_out_" + std::to_string(getpid()) + ".raw";
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
        m_device.~SFXSound();
        new (&m_device) SFXSound();
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
    static void Wait(int milliseconds) { SDL_Delay(Uint32(milliseconds)); }
    // Waits until the slot's first buffer has played to its end; false after 5 s.
    static bool WaitForEnd(const SFXSoundBuffer& slot) {
        Uint64 deadline = SDL_GetTicks64() + 5000;
        while (slot.BufferPlaying(0)) {
            if (SDL_GetTicks64() > deadline) return false;
            SDL_Delay(5);
        }
        return true;
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
    Wait(600);
    EXPECT_FALSE(slot.BufferPlaying(0));
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
    Wait(300);
    HUSH();
    EXPECT_FALSE(DXwav[5].BufferPlaying(0));
    Wait(500);
    Recording out = Finish();
    ASSERT_GT(out.Frames(), 22050u * 6 / 10);  // about 0.8 s were recorded
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
    Wait(400);
    Recording out = Finish();
    EXPECT_EQ(out.Peak(0), 0);
    EXPECT_GT(out.Peak(1), 15000);
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
    Wait(400);
    PLAYSOUND(2, 0, 0.5);  // half the amplitude
    Wait(400);
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

TEST_F(DiskSound, MusicLoopsAndStops) {
    std::string piece = Tone(100, "music.wav");
    EXPECT_EQ(PLAYMUSIC(piece.c_str()), 0);
    EXPECT_TRUE(sound_mixer::MusicLoaded());
    EXPECT_TRUE(Mix_PlayingMusic());
    Wait(400);
    EXPECT_TRUE(sound_mixer::MusicAtEnd());
    KvMusicLoopCheck();  // as SHOWSCREEN does: the piece starts again
    EXPECT_FALSE(sound_mixer::MusicAtEnd());
    EXPECT_TRUE(Mix_PlayingMusic());
    HUSH();  // leaves the music alone
    EXPECT_TRUE(Mix_PlayingMusic());
    // A missing piece still stops the one playing.
    EXPECT_EQ(PLAYMUSIC("/nonexistent/music.wav"), 3);
    EXPECT_FALSE(sound_mixer::MusicLoaded());
    EXPECT_FALSE(Mix_PlayingMusic());
    EXPECT_EQ(PLAYMUSIC(piece.c_str()), 0);
    STOPMUSIC();
    EXPECT_FALSE(sound_mixer::MusicLoaded());
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
            frame[c] = bits == 8 ? (bytes[at] - 128) * 256 : int16_t(bytes[at] | bytes[at + 1] << 8);
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
                ADD_FAILURE() << (f < tenth ? "first tenth" : f >= heard - tenth ? "last tenth" : "middle")
                              << ", frame " << f << " channel " << c << ": " << got << ", want " << want;
        }
    EXPECT_EQ(mismatches, 0u);
}

INSTANTIATE_TEST_SUITE_P(Formats, WholeSound, ::testing::ValuesIn(FormatsToPlay()), FormatName);

}  // namespace
