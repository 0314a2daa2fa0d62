// KvStr: the runtime's string value, a fixed 1024-byte buffer copied by value.
// Texts that do not fit are silently refused; nothing is ever written past the buffer.
#pragma once

#include <cstddef>

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

// Replaces every backslash by a slash.
void ReverseSlashes(KvStr& text);

// Formats a number the way every number-to-text conversion of the runtime does ("%g").
void FormatNumber(double number, char* out, std::size_t size);
