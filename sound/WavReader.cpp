// The WAV reader: chunk rules and sanity checks on the format and the sample size.
#include "sound/WavReader.h"

#include <cstdio>
#include <cstring>

#include "bytes/LittleEndian.h"

namespace {
bool Fail(std::string* reason, const char* why) {
    if (reason) *reason = why;
    return false;
}

// Lowest and highest sample rates a sound may have.
constexpr uint32_t kMinimumRate = 100;
constexpr uint32_t kMaximumRate = 200000;

struct Cursor {
    const uint8_t* bytes;
    size_t size;
    size_t position;
    size_t Left() const { return size - position; }
};

bool ReadChunkHeader(Cursor& at, char id[4], uint32_t& length) {
    if (at.Left() < 8) return false;
    std::memcpy(id, at.bytes + at.position, 4);
    length = ReadLittle32(at.bytes + at.position + 4);
    at.position += 8;
    return true;
}

bool CheckFormat(const WavSound& sound, std::string* reason) {
    if (sound.channels == 0) return Fail(reason, "the format has no channels");
    if (sound.sampleRate < kMinimumRate || sound.sampleRate > kMaximumRate)
        return Fail(reason, "the sample rate is out of range");
    if (sound.bitsPerSample != 8 && sound.bitsPerSample != 16)
        return Fail(reason, "only 8- and 16-bit samples are played");
    if (sound.blockAlign == 0) return Fail(reason, "the block align is zero");
    if (sound.blockAlign != sound.channels * sound.bitsPerSample / 8)
        return Fail(reason, "the block align does not fit the channels and sample size");
    return true;
}
}  // namespace

bool ReadWav(const uint8_t* bytes, size_t size, WavSound& sound, std::string* reason) {
    sound = WavSound();
    if (!bytes || size < 36) return Fail(reason, "shorter than a WAV header");
    uint32_t formatLength = ReadLittle32(bytes + 16);
    int fileChannels = ReadLittle16(bytes + 22);
    sound.channels = fileChannels > 1 ? 2 : fileChannels;
    sound.sampleRate = ReadLittle32(bytes + 24);
    sound.blockAlign = ReadLittle16(bytes + 32);
    sound.bitsPerSample = ReadLittle16(bytes + 34);
    if (!CheckFormat(sound, reason)) return false;

    Cursor at{bytes, size, 36};
    if (formatLength < 16) return Fail(reason, "the format chunk is too short");
    uint64_t extra =
        uint64_t(formatLength - 16) + (formatLength & 1);  // chunks are padded to even sizes
    if (extra > at.Left()) return Fail(reason, "the format chunk runs past the end");
    at.position += size_t(extra);

    char id[4];
    uint32_t length = 0;
    if (!ReadChunkHeader(at, id, length)) return Fail(reason, "no chunk after the format");
    if (std::memcmp(id, "fact", 4) == 0) {
        uint64_t skip = uint64_t(length) + (length & 1);
        if (skip > at.Left()) return Fail(reason, "the fact chunk runs past the end");
        at.position += size_t(skip);
        if (!ReadChunkHeader(at, id, length)) return Fail(reason, "no chunk after the fact chunk");
    }
    if (std::memcmp(id, "data", 4) != 0) return Fail(reason, "no data chunk where expected");
    if (length > at.Left())
        return Fail(reason, "the data chunk claims more bytes than the file holds");
    if (sound.bitsPerSample == 16 && (length & 1))
        return Fail(reason, "16-bit data of an odd size");
    size_t frames = length / size_t(sound.blockAlign);
    if (frames == 0) return Fail(reason, "no samples");
    sound.samples = bytes + at.position;
    sound.sampleBytes = frames * size_t(sound.blockAlign);
    return true;
}

bool ReadWavFile(const char* path, std::vector<uint8_t>& bytes, WavSound& sound,
                 std::string* reason, size_t maxBytes) {
    bytes.clear();
    sound = WavSound();
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) return Fail(reason, "cannot open the file");
    uint8_t block[65536];
    size_t got = 0;
    bool tooLarge = false;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        if (bytes.size() + got > maxBytes) {
            tooLarge = true;
            break;
        }
        bytes.insert(bytes.end(), block, block + got);
    }
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (tooLarge) return Fail(reason, "the file is too large for a sound");
    if (readError) return Fail(reason, "the file cannot be read");
    return ReadWav(bytes.data(), bytes.size(), sound, reason);
}
