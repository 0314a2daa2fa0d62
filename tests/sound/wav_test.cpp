// The WAV reader on good and damaged files, without a sound device.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sound/WavReader.h"
#include "tests/sound/WavFiles.h"

namespace {

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
    auto patchedId = [&](size_t at, const char* id) {
        std::vector<uint8_t> b = good;
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(id[i]);
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
    refuses(patchedId(36, "LIST"), "no data chunk where expected");
    refuses(patchedId(36, "fact"), "a fact chunk swallowing the rest");

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

}  // namespace
