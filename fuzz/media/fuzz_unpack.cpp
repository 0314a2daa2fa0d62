// Fuzzes the LZO block decoder. The first input byte chooses what the rest is: a packed block
// as it stands, or raw bytes that are packed and then damaged at positions the input picks
// (near-valid streams reach far more of the decoder than random ones). A block that decodes
// must not exceed its announced length and must survive packing and unpacking again unchanged.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/VelCompression.h"

namespace {

void CheckBlock(const unsigned char* data, size_t size) {
    VelCompression compression;
    compression.mode = VelCompression::kModeLzo;
    const int n = compression.UnPack(data, int(size));
    if (compression.Damaged()) return;
    // A block that decodes holds a whole header.
    const uint32_t announced = VelCompression::AnnouncedLength(data);
    if (n != compression.ResultLength() || uint32_t(n) > announced) abort();
    const std::vector<unsigned char> raw(compression.Result(), compression.Result() + n);
    VelCompression again;
    again.mode = VelCompression::kModeLzo;
    const int packed = again.Pack(raw.data(), long(raw.size()));
    const std::vector<unsigned char> block(again.Result(), again.Result() + packed);
    if (again.UnPack(block.data(), packed) != n || again.Damaged()) abort();
    if (n > 0 && std::memcmp(again.Result(), raw.data(), size_t(n)) != 0) abort();
}

// Packs the raw bytes, then applies the edits: each 3-byte group is (position, position, xor).
void CheckDamagedPack(const unsigned char* data, size_t size) {
    const size_t rawSize = size / 2;
    VelCompression compression;
    compression.mode = VelCompression::kModeLzo;
    const int packed = compression.Pack(data, long(rawSize));
    std::vector<unsigned char> block(compression.Result(), compression.Result() + packed);
    for (size_t i = rawSize; i + 3 <= size && !block.empty(); i += 3) {
        const size_t at = (size_t(data[i]) << 8 | data[i + 1]) % block.size();
        block[at] ^= data[i + 2];
    }
    CheckBlock(block.data(), block.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > INT_MAX) return 0;
    if (data[0] & 1) {
        CheckDamagedPack(data + 1, size - 1);
    } else {
        CheckBlock(data + 1, size - 1);
    }
    return 0;
}
