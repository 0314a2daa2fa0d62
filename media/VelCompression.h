// VelCompression: packs and unpacks the media pack's blocks of bytes.
// A block is a 4-byte little-endian unpacked length followed by an LZO1X-1 stream (liblzo2).
#pragma once

#include <cstdint>
#include <memory>

class VelCompression {
  public:
    // The only mode that is built: length header plus LZO1X stream.
    static constexpr int32_t kModeLzo = 1;
    // Bytes of the unpacked-length header at the start of a block.
    static constexpr int kHeaderSize = 4;
    // Largest unpacked length a block may announce (the result length is a signed 32-bit count).
    static constexpr int64_t kMaxUnpackedLength = INT32_MAX;

    VelCompression();
    ~VelCompression();
    VelCompression(const VelCompression&) = delete;
    VelCompression& operator=(const VelCompression&) = delete;

    // Frees the result and makes sure the LZO library is initialised.
    void Clear();
    // Replaces the result by the unpacked block; returns its length, or 0 when the block is
    // damaged (too short, an announced length it cannot produce, a decoder error).
    int UnPack(const unsigned char* data, int size);
    // Replaces the result by the packed block; returns the block's length (0 when the input
    // is too large for the block's 32-bit length).
    int Pack(const unsigned char* data, long size);

    const unsigned char* Result() const { return result_.get(); }
    int ResultLength() const { return resultLength_; }
    // Whether the last UnPack found the block damaged (tells a failure from an empty result).
    bool Damaged() const { return damaged_; }

    // The unpacked length announced by a block's header (the block holds kHeaderSize bytes
    // at least).
    static uint32_t AnnouncedLength(const unsigned char* block);
    // Most unpacked bytes an LZO1X stream of streamSize bytes can expand to.
    static int64_t MaxExpansion(int64_t streamSize);

    // Set by the user before packing or unpacking; nothing else selects a mode.
    int32_t mode = 0;

  private:
    std::unique_ptr<unsigned char[]> result_;
    int32_t resultLength_ = 0;
    bool damaged_ = false;
};
