// KvStr: the runtime's string value, a fixed 1024-byte buffer copied by value.
// Texts that do not fit are silently refused; nothing is ever written past the buffer.
#pragma once

#include <cstddef>
#include <type_traits>

class KvStr {
  public:
    static constexpr int kBufferSize = 1024;
    // Longest text an assignment or an append accepts.
    static constexpr int kMaxAssign = 1022;

    KvStr();
    KvStr(const char* text);
    KvStr(double number);
    KvStr(int number);
    KvStr(const KvStr& other) = default;

    KvStr& operator=(const char* text);
    KvStr& operator=(const KvStr& other) = default;
    KvStr& operator=(const double& number);

    // Texts in double quotes take these directly: through KvStr they would compete
    // with the number conversion.
    KvStr operator+(const char* right) const { return *this + KvStr(right); }
    KvStr operator-(const char* right) const { return *this - KvStr(right); }
    KvStr operator*(const char* right) const { return *this * KvStr(right); }
    KvStr operator/(const char* right) const { return *this / KvStr(right); }
    KvStr operator+(const KvStr& right) const;
    KvStr operator+(const double& right) const;
    KvStr operator-(const KvStr& right) const;
    KvStr operator-(const double& right) const;
    KvStr operator*(const KvStr& right) const;
    KvStr operator*(const double& right) const;
    KvStr operator/(const KvStr& right) const;
    KvStr operator/(const double& right) const;
    // Whole numbers and floats append as the double they convert to: s + 1 is s + 1.0.
    template <typename Number, std::enable_if_t<std::is_arithmetic_v<Number>, int> = 0>
    KvStr operator+(Number right) const { return *this + static_cast<double>(right); }
    template <typename Number, std::enable_if_t<std::is_arithmetic_v<Number>, int> = 0>
    KvStr operator-(Number right) const { return *this - static_cast<double>(right); }
    template <typename Number, std::enable_if_t<std::is_arithmetic_v<Number>, int> = 0>
    KvStr operator*(Number right) const { return *this * static_cast<double>(right); }
    template <typename Number, std::enable_if_t<std::is_arithmetic_v<Number>, int> = 0>
    KvStr operator/(Number right) const { return *this / static_cast<double>(right); }

    KvStr& operator+=(const char* right);
    KvStr& operator+=(const KvStr& right);
    KvStr& operator-=(const KvStr& right);
    KvStr& operator*=(const KvStr& right);
    KvStr& operator/=(const KvStr& right);

    // The leading decimal number of the text as atof reads it.
    operator double() const;

    const char* GetStrData() const { return m_data; }
    char* GetStrData() { return m_data; }
    int Length() const;
    // The byte at i as a signed 8-bit value; 0 outside the text.
    int GetAt(int i) const;
    int SetAt(int i, char c);
    // Cuts after n characters; n outside 0..length changes nothing.
    void Left(int n);
    int Compare(const KvStr& other) const;
    int Compare(const double& number) const;
    void TrimRight();

    bool operator==(const KvStr& o) const { return Compare(o) == 0; }
    bool operator!=(const KvStr& o) const { return Compare(o) != 0; }
    bool operator<(const KvStr& o) const { return Compare(o) < 0; }
    bool operator>(const KvStr& o) const { return Compare(o) > 0; }
    bool operator<=(const KvStr& o) const { return Compare(o) <= 0; }
    bool operator>=(const KvStr& o) const { return Compare(o) >= 0; }

  private:
    // Appends "-" and the text: the separator form of -, * and /.
    KvStr& AppendWithSeparator(const char* right);
    void AppendText(const char* right);

    char m_data[kBufferSize];
};

// A text before a string: "Score: " + KvStr(score).
inline KvStr operator+(const char* left, const KvStr& right) { return KvStr(left) + right; }

// A string compared with a number compares its leading number (as operator double
// reads it) with that number, in either order: KvStr("10") == 10 and 9 < KvStr("10").
#define KV_STR_COMPARES_WITH_NUMBERS(op)                                                  \
    template <typename Number, std::enable_if_t<std::is_arithmetic_v<Number>, int> = 0>    \
    inline bool operator op(const KvStr& text, Number number) {                            \
        return text.Compare(static_cast<double>(number)) op 0;                             \
    }                                                                                      \
    template <typename Number, std::enable_if_t<std::is_arithmetic_v<Number>, int> = 0>    \
    inline bool operator op(Number number, const KvStr& text) {                            \
        return 0 op text.Compare(static_cast<double>(number));                             \
    }
KV_STR_COMPARES_WITH_NUMBERS(==)
KV_STR_COMPARES_WITH_NUMBERS(!=)
KV_STR_COMPARES_WITH_NUMBERS(<)
KV_STR_COMPARES_WITH_NUMBERS(<=)
KV_STR_COMPARES_WITH_NUMBERS(>)
KV_STR_COMPARES_WITH_NUMBERS(>=)
#undef KV_STR_COMPARES_WITH_NUMBERS

// Replaces every backslash by a slash.
void ReverseSlashes(KvStr& text);

// Formats a number the way every number-to-text conversion of the runtime does ("%g").
void FormatNumber(double number, char* out, std::size_t size);
