// Maths, random numbers, string commands and box collisions: the commands that need
// nothing but numbers and strings.
// Angles are in degrees; every integer argument is truncated toward zero.
#include "maths/Maths.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "maths/Random.h"
#include "values/IntConv.h"

namespace {
constexpr double kDegreesPerRadian = 57.2957795;

// Widths and decimals beyond this give the same first 1023 characters as any larger
// value, so clamping them changes nothing the string can hold.
constexpr int kFormatLimit = KvStr::kBufferSize + 64;

int ClampFormat(double value) {
    int32_t whole = KvToInt(value);
    if (whole > kFormatLimit) return kFormatLimit;
    if (whole < -kFormatLimit) return -kFormatLimit;
    return whole;
}

// A field wider than the string holds is narrowed to the whole string: the padding
// is cut, never the number.
int ClampWidth(double value) {
    constexpr int widest = KvStr::kBufferSize - 1;
    int32_t whole = KvToInt(value);
    if (whole > widest) return widest;
    if (whole < -widest) return -widest;
    return whole;
}

// The closed interval one box covers on one axis overlaps the other's.
bool AxisOverlaps(double p1, double s1, double p2, double s2) {
    double end1 = p1 + s1, end2 = p2 + s2;
    double low1 = s1 < 0 ? end1 : p1, high1 = s1 < 0 ? p1 : end1;
    double low2 = s2 < 0 ? end2 : p2, high2 = s2 < 0 ? p2 : end2;
    // The larger lower end is not above the smaller upper end; NaN never overlaps.
    return low1 <= high2 && low2 <= high1;
}
}  // namespace

double RND(double n) {
    uint32_t draw = Velrand();
    uint32_t bound = static_cast<uint32_t>(KvToInt(n)) + 1u;
    // A bound of -1 would divide by zero: there is no number to draw from.
    if (bound == 0) return 0;
    return draw % bound;
}

double SIN(double d) { return std::sin(d / kDegreesPerRadian); }
double COS(double d) { return std::cos(d / kDegreesPerRadian); }
double TAN(double d) { return std::tan(d / kDegreesPerRadian); }
double ATAN(double y, double x) { return std::atan2(y, x) * kDegreesPerRadian; }

double ASIN(double v) {
    if (v >= 1) return 90;
    if (v <= -1) return -90;
    return std::asin(v) * kDegreesPerRadian;
}

double ACOS(double v) {
    if (v >= 1) return 0;
    if (v <= -1) return 180;
    return std::acos(v) * kDegreesPerRadian;
}

double SQR(double v) { return std::sqrt(v); }
double POW(double a, double b) { return std::pow(a, b); }
double ABS(double v) { return v < 0 ? -v : v; }

double MOD(double a, double b) {
    int32_t divisor = KvToInt(b);
    if (divisor == 0) return 0;
    // In 64 bits: the smallest 32-bit number divided by -1 must not trap.
    return static_cast<double>(static_cast<int64_t>(KvToInt(a)) % divisor);
}

double LEN(const KvStr& s) { return s.Length(); }

double LEN(double v) {
    char text[64];
    FormatNumber(v, text, sizeof text);
    return static_cast<double>(std::strlen(text));
}

KvStr MID_Str(const KvStr& s, double start, double count) {
    KvStr result;
    const int length = s.Length();
    double n = count;
    if (static_cast<uint32_t>(KvToInt(start + count)) > static_cast<uint32_t>(length))
        n = length - start;
    // NaN fails every comparison below and so gives the empty text as well.
    if (!(n > 0) || !(start >= 0) || start > length) return result;
    int first = KvToInt(start);
    int64_t take = KvToInt(n);
    if (take > length - first) take = length - first;
    if (take <= 0) return result;
    std::memcpy(result.GetStrData(), s.GetStrData() + first, static_cast<std::size_t>(take));
    result.GetStrData()[take] = 0;
    return result;
}

double ASC(const KvStr& s) { return static_cast<signed char>(s.GetStrData()[0]); }

KvStr CHR_Str(double c) {
    KvStr result;
    char code = static_cast<char>(static_cast<uint8_t>(static_cast<uint32_t>(KvToInt(c))));
    result.GetStrData()[0] = code;
    result.GetStrData()[1] = 0;
    return result;
}

KvStr FORMAT_Str(double width, double decimals, double v) {
    char format[32];
    int places = ClampFormat(decimals);
    // A negative number of decimals is left out, as printf does for a negative precision.
    if (places < 0)
        std::snprintf(format, sizeof format, "%%%df", ClampWidth(width));
    else
        std::snprintf(format, sizeof format, "%%%d.%df", ClampWidth(width), places);
    KvStr result;
    // A number longer than the string holds is cut, never written past it.
    std::snprintf(result.GetStrData(), KvStr::kBufferSize, format, v);
    return result;
}

void BOXCOLL(double& r, double x1, double y1, double w1, double h1, double x2, double y2, double w2,
             double h2) {
    r = AxisOverlaps(x1, w1, x2, w2) && AxisOverlaps(y1, h1, y2, h2) ? 1 : 0;
}
