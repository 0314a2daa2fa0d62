// KvStr: fixed-buffer strings with the runtime's capacity rules and "%g" / atof conversions.
#include "values/KvStr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kNumberBuffer = 64;

int BoundedLength(const char* text, int limit) {
    const void* end = std::memchr(text, 0, static_cast<std::size_t>(limit));
    return end ? static_cast<int>(static_cast<const char*>(end) - text) : limit;
}
}  // namespace

void FormatNumber(double number, char* out, std::size_t size) {
    std::snprintf(out, size, "%g", number);
}

KvStr::KvStr() { m_data[0] = 0; }

KvStr::KvStr(const char* text) {
    m_data[0] = 0;
    *this = text;
}

KvStr::KvStr(double number) {
    m_data[0] = 0;
    *this = number;
}

KvStr::KvStr(int number) : KvStr(static_cast<double>(number)) {}

KvStr& KvStr::operator=(const char* text) {
    if (!text) return *this;
    int length = static_cast<int>(std::strlen(text));
    if (length > kMaxAssign) return *this;
    std::memmove(m_data, text, static_cast<std::size_t>(length) + 1);
    return *this;
}

KvStr& KvStr::operator=(const double& number) {
    FormatNumber(number, m_data, kNumberBuffer);
    return *this;
}

int KvStr::Length() const { return BoundedLength(m_data, kBufferSize - 1); }

void KvStr::AppendText(const char* right) {
    int length = Length();
    int extra = static_cast<int>(std::strlen(right));
    std::memmove(m_data + length, right, static_cast<std::size_t>(extra) + 1);
}

KvStr& KvStr::operator+=(const char* right) {
    if (!right || !*right) return *this;
    if (Length() + static_cast<int>(std::strlen(right)) > kMaxAssign) return *this;
    AppendText(right);
    return *this;
}

KvStr& KvStr::operator+=(const KvStr& right) {
    // Copy first: appending a string to itself must read the old text.
    KvStr copy(right);
    return *this += copy.m_data;
}

// The condition counts the two texts only, so the result can reach 1023 characters.
KvStr& KvStr::AppendWithSeparator(const char* right) {
    if (!*right) return *this;
    if (Length() + static_cast<int>(std::strlen(right)) > kMaxAssign) return *this;
    AppendText("-");
    AppendText(right);
    return *this;
}

KvStr& KvStr::operator-=(const KvStr& right) {
    KvStr copy(right);
    return AppendWithSeparator(copy.m_data);
}
KvStr& KvStr::operator*=(const KvStr& right) { return *this -= right; }
KvStr& KvStr::operator/=(const KvStr& right) { return *this -= right; }

KvStr KvStr::operator+(const KvStr& right) const {
    KvStr result(*this);
    result += right;
    return result;
}
KvStr KvStr::operator+(const double& right) const { return *this + KvStr(right); }
KvStr KvStr::operator-(const KvStr& right) const {
    KvStr result(*this);
    result -= right;
    return result;
}
KvStr KvStr::operator-(const double& right) const { return *this - KvStr(right); }
KvStr KvStr::operator*(const KvStr& right) const { return *this - right; }
KvStr KvStr::operator*(const double& right) const { return *this - KvStr(right); }
KvStr KvStr::operator/(const KvStr& right) const { return *this - right; }
KvStr KvStr::operator/(const double& right) const { return *this - KvStr(right); }

KvStr::operator double() const { return std::atof(m_data); }

int KvStr::GetAt(int i) const {
    if (i < 0 || i >= Length()) return 0;
    return static_cast<signed char>(m_data[i]);
}

int KvStr::SetAt(int i, char c) {
    if (i < 0 || i >= Length()) return 0;
    m_data[i] = c;
    return 1;
}

void KvStr::Left(int n) {
    if (n < 0 || n > Length()) return;
    m_data[n] = 0;
}

int KvStr::Compare(const KvStr& other) const { return std::strcmp(m_data, other.m_data); }

int KvStr::Compare(const double& number) const {
    double value = static_cast<double>(*this);
    if (value < number) return -1;
    if (value > number) return 1;
    return 0;
}

void KvStr::TrimRight() {
    int length = Length();
    while (length > 0 && static_cast<signed char>(m_data[length - 1]) <= 31) --length;
    m_data[length] = 0;
}

void ReverseSlashes(KvStr& text) {
    for (char* p = text.GetStrData(); *p; ++p)
        if (*p == '\\') *p = '/';
}
