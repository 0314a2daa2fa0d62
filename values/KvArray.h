// KvIntArray and KvStrArray: arrays of doubles and of strings with up to eight
// dimensions, first subscript fastest, created by DIM and checked on every access.
// A failed DIM is runtime error 7, use before DIM 8, a subscript out of range 9;
// each ends the program through the error hook.
#pragma once

#include <cstdint>

#include "values/KvStr.h"

template <typename Element>
class KvArray {
  public:
    static constexpr int kMaxDims = 8;

    KvArray() = default;
    KvArray(const KvArray&) = delete;
    KvArray& operator=(const KvArray&) = delete;
    ~KvArray() { delete[] m_data; }

    // (Re)creates the array; sizes left out are 0. Error 7 when it cannot be had.
    void Dim(double s1, double s2 = 0, double s3 = 0, double s4 = 0, double s5 = 0, double s6 = 0,
             double s7 = 0, double s8 = 0);

    // Inline for the common access of one or two subscripts, which programs make in
    // their inner loops; everything else takes the full check.
    Element& operator()(double i1 = 0, double i2 = 0, double i3 = 0, double i4 = 0, double i5 = 0,
                        double i6 = 0, double i7 = 0, double i8 = 0) {
        if (m_plain && i3 == 0 && i4 == 0 && i5 == 0 && i6 == 0 && i7 == 0 && i8 == 0 &&
            i1 >= 0 && i1 < m_size[0] && i2 >= 0 && i2 < m_secondLimit) {
            int64_t index = static_cast<int64_t>(i1) + static_cast<int64_t>(i2) * m_stride[0];
            if (index < m_count) return m_data[index];
        }
        return Locate(i1, i2, i3, i4, i5, i6, i7, i8);
    }

    // The stored size of dimension k + 1 for 0 <= k <= 7, else 0.
    double Bounds(double k) const;

    int DimensionCount() const { return m_dimensions; }
    int64_t ElementCount() const { return m_count; }
    Element* Data() { return m_data; }

  private:
    // Every check on all eight subscripts; raises error 8 or 9.
    Element& Locate(double i1, double i2, double i3, double i4, double i5, double i6, double i7,
                    double i8);

    Element* m_data = nullptr;
    int64_t m_count = 0;
    int32_t m_stride[kMaxDims - 1] = {};
    int32_t m_size[kMaxDims] = {};
    int32_t m_dimensions = -1;
    // Set while the block exists and no size is negative: then subscripts of 0 pass
    // every dimension beyond the second, and the inline path may be taken.
    bool m_plain = false;
    // The bound of the second subscript: its size, or 2^31 where it has none.
    double m_secondLimit = 0;
};

using KvIntArray = KvArray<double>;
using KvStrArray = KvArray<KvStr>;

void DIM(KvIntArray& a, double s1, double s2 = 0, double s3 = 0, double s4 = 0, double s5 = 0,
         double s6 = 0, double s7 = 0, double s8 = 0);
void DIM(KvStrArray& a, double s1, double s2 = 0, double s3 = 0, double s4 = 0, double s5 = 0,
         double s6 = 0, double s7 = 0, double s8 = 0);
double BOUNDS(KvIntArray& a, double k);
double BOUNDS(KvStrArray& a, double k);
