// VelCompression: the media pack's block format over liblzo2 (LZO1X-1 compressor, safe
// LZO1X decompressor). Stands on lzo/lzo1x.h only.
#include "media/VelCompression.h"

#include <lzo/lzo1x.h>

#include <cstring>
#include <new>

#include "bytes/LittleEndian.h"

namespace {

void InitialiseLzoOnce() {
    static const bool initialised = (lzo_init() == LZO_E_OK);
    (void)initialised;
}

// The compressor's work area, shared by every object (everything runs on one thread).
unsigned char* SharedWorkArea() {
    static std::unique_ptr<lzo_align_t[]> area(
        new lzo_align_t[(LZO1X_1_MEM_COMPRESS + sizeof(lzo_align_t) - 1) / sizeof(lzo_align_t)]);
    return reinterpret_cast<unsigned char*>(area.get());
}

}  // namespace

VelCompression::VelCompression() { Clear(); }

VelCompression::~VelCompression() { Clear(); }

void VelCompression::Clear() {
    result_.reset();
    resultLength_ = 0;
    damaged_ = false;
    InitialiseLzoOnce();
}

uint32_t VelCompression::AnnouncedLength(const unsigned char* block) { return ReadLittle32(block); }

int64_t VelCompression::MaxExpansion(int64_t streamSize) {
    // A stream byte yields at most 255 bytes of output (a zero byte in a run-length extension);
    // the rest is a few bytes of instruction overhead.
    if (streamSize <= 0) return 0;
    return streamSize * 256 + 256;
}

int VelCompression::UnPack(const unsigned char* data, int size) {
    Clear();
    damaged_ = true;
    if (mode != kModeLzo || data == nullptr || size < kHeaderSize) return 0;
    const int64_t announced = AnnouncedLength(data);
    const int64_t streamSize = size - kHeaderSize;
    // An announced length the stream cannot possibly produce marks a damaged block; it is
    // never allocated.
    if (announced > kMaxUnpackedLength || announced > MaxExpansion(streamSize)) return 0;
    result_.reset(new (std::nothrow) unsigned char[announced > 0 ? announced : 1]);
    if (!result_) return 0;
    lzo_uint produced = lzo_uint(announced);
    const int status = lzo1x_decompress_safe(data + kHeaderSize, lzo_uint(streamSize),
                                             result_.get(), &produced, nullptr);
    resultLength_ = int32_t(produced);
    // A stream that stops short of the announced length is a block cut off, not a
    // shorter file: it is as damaged as one that runs over.
    if (status != LZO_E_OK || int64_t(produced) != announced) return 0;
    damaged_ = false;
    return resultLength_;
}

int VelCompression::Pack(const unsigned char* data, long size) {
    Clear();
    if (mode != kModeLzo || size < 0 || (size > 0 && data == nullptr)) return 0;
    // The library's documented worst case for incompressible input, plus the header.
    const int64_t capacity = int64_t(size) + size / 16 + 64 + 3 + kHeaderSize;
    if (capacity > kMaxUnpackedLength) return 0;
    result_.reset(new (std::nothrow) unsigned char[capacity]);
    if (!result_) return 0;
    lzo_uint packed = 0;
    static const unsigned char kEmpty = 0;
    const unsigned char* input = size > 0 ? data : &kEmpty;
    if (lzo1x_1_compress(input, lzo_uint(size), result_.get() + kHeaderSize, &packed,
                         SharedWorkArea()) != LZO_E_OK) {
        result_.reset();
        return 0;
    }
    WriteLittle32(result_.get(), uint32_t(size));
    resultLength_ = int32_t(packed + kHeaderSize);
    return resultLength_;
}
