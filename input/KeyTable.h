// The runtime's key numbers: each key of a PC keyboard is numbered by its set-1 scan
// code, the keys sent with an 0xE0 prefix at 128 + their code. Here they are tied to
// the positional USB key usages the platform reports, and to the characters keys give.
#pragma once

#include <cstdint>

namespace keys {
constexpr int kEscape = 1;
constexpr int kBackspace = 14;
constexpr int kReturn = 28;
constexpr int kLeftControl = 29;
constexpr int kLeftShift = 42;
constexpr int kRightShift = 54;
constexpr int kLeftAlt = 56;
constexpr int kSpace = 57;
constexpr int kCapsLock = 58;
constexpr int kF4 = 62;
constexpr int kNumLock = 69;
constexpr int kPadEnter = 156;
constexpr int kUp = 200;
constexpr int kLeft = 203;
constexpr int kRight = 205;
constexpr int kDown = 208;
constexpr int kApplications = 221;
}  // namespace keys

// Key number (1-255) of a positional USB keyboard usage, 0 for a key without one.
int KeyNumberOfUsage(int usage);
// The USB usage of a key number, 0 when no key has that number.
int UsageOfKeyNumber(int keyNumber);

// The character a key gives on a US layout without modifiers (0 for none); used
// when no keyboard layout is at hand, e.g. for scripted keys.
char DefaultKeyCharacter(int keyNumber);

// The character of a key: modifier keys give 0, Return and the pad's Enter 10,
// Backspace 8; any other key gives its layout character when that is printable
// ASCII (above 31, below 128), else 0.
char KeyCharacter(int keyNumber, int layoutCharacter);

// The typed-character rule: the first key in number order (0-254) that is down and
// gives a character; Shift makes a-z upper case; a character equal to the last one
// returned gives 0 (a held key is reported once), and a call that finds none forgets it.
// characterOf(keyNumber) gives the key's character on the current layout.
template <typename CharacterOf>
char NextTypedCharacter(const uint8_t keyState[256], CharacterOf characterOf, char& last) {
    char found = 0;
    for (int code = 0; code < 255 && !found; ++code)
        if (keyState[code] & 0x80) found = characterOf(code);
    bool shift = (keyState[keys::kLeftShift] & 0x80) || (keyState[keys::kRightShift] & 0x80);
    if (shift && found >= 'a' && found <= 'z') found = char(found - 32);
    if (found == last) return 0;
    last = found;
    return found;
}
