// Escaping of names from files for messages and listings.
#include "values/Printable.h"

#include <cstdio>

namespace {
void AppendEscape(std::string& out, unsigned char byte) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
    out += escape;
}

// The length of the well-formed UTF-8 sequence of two to four bytes that starts at
// text[at], or 0. Overlong forms, surrogates and code points past U+10FFFF are not
// well-formed. A sequence for U+0080 to U+009F (the C1 controls) counts as not
// well-formed too, so it is escaped byte by byte.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
    unsigned long codePoint = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        codePoint = codePoint << 6 | (next & 0x3F);
    }
    static const unsigned long kSmallest[5] = {0, 0, 0xA0, 0x800, 0x10000};
    if (codePoint < kSmallest[length] || codePoint > 0x10FFFF) return 0;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
    return length;
}
}  // namespace

std::string PrintableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte == '\\') {
            out += "\\\\";
            ++at;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += char(byte);
            ++at;
        } else if (std::size_t length = byte >= 0x80 ? Utf8SequenceLength(text, at) : 0) {
            out.append(text.substr(at, length));
            at += length;
        } else {
            AppendEscape(out, byte);
            ++at;
        }
    }
    return out;
}
