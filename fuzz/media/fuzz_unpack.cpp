// Fuzzes the LZO block decoder: the input is a packed block. A block that decodes must not
// exceed its announced length and must survive packing and unpacking again unchanged.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/VelCompression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT_MAX) return 0;
    VelCompression compression;
    compression.mode = VelCompression::kModeLzo;
    const int n = compression.UnPack(data, int(size));
    if (compression.Damaged()) return 0;
    const uint32_t announced = size >= 4 ? (data[0] | data[1] << 8 | data[2] << 16 |
                                            uint32_t(data[3]) << 24) : 0;
    if (n != compression.ResultLength() || uint32_t(n) > announced) abort();
    const std::vector<unsigned char> raw(compression.Result(), compression.Result() + n);
    VelCompression again;
    again.mode = VelCompression::kModeLzo;
    const int packed = again.Pack(raw.data(), long(raw.size()));
    const std::vector<unsigned char> block(again.Result(), again.Result() + packed);
    if (again.UnPack(block.data(), packed) != n || again.Damaged()) abort();
    if (n > 0 && std::memcmp(again.Result(), raw.data(), size_t(n)) != 0) abort();
    return 0;
}
