// DIM, indexing and BOUNDS of the runtime's arrays.
#include "values/KvArray.h"

#include <new>

#include "values/ErrorHook.h"
#include "values/IntConv.h"

namespace {
// No array may be larger than this many bytes: a size beyond it is error 7 rather
// than an attempt that could take the whole machine down.
constexpr double kMaxArrayBytes = 4.0 * 1024 * 1024 * 1024;

// The product of every size of at least 1, truncated.
double CountElements(const double* sizes, int count) {
    double product = 1;
    for (int k = 0; k < count; ++k)
        if (sizes[k] >= 1) product *= sizes[k];
    return static_cast<double>(static_cast<int64_t>(product < 9e18 ? product : 9e18));
}

// Whether the block can be had: within the byte and element limits, every size a
// 32-bit number.
bool Fits(const double* sizes, int count, double elements, std::size_t elementSize) {
    if (elements * elementSize > kMaxArrayBytes || elements > 2147483647.0) return false;
    for (int k = 0; k < count; ++k)
        if (sizes[k] != sizes[k] || sizes[k] >= 2147483648.0 || sizes[k] <= -2147483649.0)
            return false;
    return true;
}
}  // namespace

template <typename Element>
void KvArray<Element>::Dim(double s1, double s2, double s3, double s4, double s5, double s6,
                           double s7, double s8) {
    double sizes[kMaxDims] = {s1, s2, s3, s4, s5, s6, s7, s8};
    if (!(sizes[0] >= 1)) sizes[0] = 1;  // also catches NaN

    double count = CountElements(sizes, kMaxDims);

    delete[] m_data;
    m_data = nullptr;
    m_count = 0;
    m_plain = false;
    if (!Fits(sizes, kMaxDims, count, sizeof(Element))) KvRaiseFatal(7);
    m_data = new (std::nothrow) Element[static_cast<std::size_t>(count)]();
    if (!m_data) KvRaiseFatal(7);
    m_count = static_cast<int64_t>(count);

    m_dimensions = 1;
    for (int k = 1; k < kMaxDims; ++k)
        if (sizes[k] != 0) m_dimensions = k + 1;
    // 32-bit products: negative sizes can make them as large as they like, and an
    // array with a negative size refuses every subscript anyway.
    uint32_t running = 1;
    for (int k = 0; k < kMaxDims; ++k) {
        m_size[k] = KvToInt(sizes[k]);
        running *= static_cast<uint32_t>(m_size[k]);
        if (k < kMaxDims - 1) m_stride[k] = static_cast<int32_t>(running);
    }
    m_plain = m_size[0] > 0;
    for (int k = 1; k < kMaxDims; ++k) m_plain = m_plain && m_size[k] >= 0;
    m_secondLimit = m_size[1] != 0 ? m_size[1] : 2147483648.0;
}

template <typename Element>
Element& KvArray<Element>::Locate(double i1, double i2, double i3, double i4, double i5, double i6,
                                  double i7, double i8) {
    const double subscripts[kMaxDims] = {i1, i2, i3, i4, i5, i6, i7, i8};
    if (m_size[0] == 0) KvRaiseFatal(8);
    if (!m_data) KvRaiseFatal(9);
    int64_t index = 0;
    for (int k = 0; k < kMaxDims; ++k) {
        double s = subscripts[k];
        // NaN fails every comparison: treat it as out of range.
        if (!(s >= 0)) KvRaiseFatal(9);
        if (m_size[k] != 0 && s >= m_size[k]) KvRaiseFatal(9);
        // A subscript of an unused dimension adds nothing; a huge one must not overflow.
        if (s >= 2147483648.0) {
            if (k == 0 || m_stride[k - 1] != 0) KvRaiseFatal(9);
            continue;
        }
        int64_t whole = static_cast<int64_t>(s);
        index += k == 0 ? whole : whole * m_stride[k - 1];
    }
    // Negative sizes can make the strides point anywhere: never leave the block.
    if (index < 0 || index >= m_count) KvRaiseFatal(9);
    return m_data[index];
}

template <typename Element>
double KvArray<Element>::Bounds(double k) const {
    int32_t dimension = KvToInt(k);
    if (dimension < 0 || dimension > 7) return 0;
    return m_size[dimension];
}

template class KvArray<double>;
template class KvArray<KvStr>;

void DIM(KvIntArray& a, double s1, double s2, double s3, double s4, double s5, double s6, double s7,
         double s8) {
    a.Dim(s1, s2, s3, s4, s5, s6, s7, s8);
}
void DIM(KvStrArray& a, double s1, double s2, double s3, double s4, double s5, double s6, double s7,
         double s8) {
    a.Dim(s1, s2, s3, s4, s5, s6, s7, s8);
}
double BOUNDS(KvIntArray& a, double k) { return a.Bounds(k); }
double BOUNDS(KvStrArray& a, double k) { return a.Bounds(k); }
