// The key numbering table: key number <-> positional USB usage, and the characters
// of a US layout for use without a keyboard layout.
#include "input/KeyTable.h"

namespace {
struct KeyEntry {
    uint8_t keyNumber;
    uint16_t usage;
    char plain;  // character on a US layout, 0 for none
};

// Ordered by key number. The key left of Return on ISO boards (usage 50) shares
// number 43 with the backslash key of ANSI boards, as the two are one position.
constexpr KeyEntry kKeys[] = {
    {1, 41, 0},  // Escape
    {2, 30, '1'},    {3, 31, '2'},   {4, 32, '3'},  {5, 33, '4'},    {6, 34, '5'},
    {7, 35, '6'},    {8, 36, '7'},   {9, 37, '8'},  {10, 38, '9'},   {11, 39, '0'},
    {12, 45, '-'},   {13, 46, '='},  {14, 42, 8},  // Backspace
    {15, 43, 9},                                   // Tab
    {16, 20, 'q'},   {17, 26, 'w'},  {18, 8, 'e'},  {19, 21, 'r'},   {20, 23, 't'},
    {21, 28, 'y'},   {22, 24, 'u'},  {23, 12, 'i'}, {24, 18, 'o'},   {25, 19, 'p'},
    {26, 47, '['},   {27, 48, ']'},  {28, 40, 10},  // Return
    {29, 224, 0},                                   // left Control
    {30, 4, 'a'},    {31, 22, 's'},  {32, 7, 'd'},  {33, 9, 'f'},    {34, 10, 'g'},
    {35, 11, 'h'},   {36, 13, 'j'},  {37, 14, 'k'}, {38, 15, 'l'},   {39, 51, ';'},
    {40, 52, '\''},  {41, 53, '`'},  {42, 225, 0},  // left Shift
    {43, 49, '\\'},  {43, 50, '\\'}, {44, 29, 'z'}, {45, 27, 'x'},   {46, 6, 'c'},
    {47, 25, 'v'},   {48, 5, 'b'},   {49, 17, 'n'}, {50, 16, 'm'},   {51, 54, ','},
    {52, 55, '.'},   {53, 56, '/'},  {54, 229, 0},                                 // right Shift
    {55, 85, '*'},                                                                 // pad multiply
    {56, 226, 0},                                                                  // left Alt
    {57, 44, ' '},                                                                 // space bar
    {58, 57, 0},                                                                   // Caps Lock
    {59, 58, 0},     {60, 59, 0},    {61, 60, 0},   {62, 61, 0},     {63, 62, 0},  // F1-F5
    {64, 63, 0},     {65, 64, 0},    {66, 65, 0},   {67, 66, 0},     {68, 67, 0},  // F6-F10
    {69, 83, 0},                                                                   // Num Lock
    {70, 71, 0},                                                                   // Scroll Lock
    {71, 95, '7'},   {72, 96, '8'},  {73, 97, '9'}, {74, 86, '-'},   {75, 92, '4'},
    {76, 93, '5'},   {77, 94, '6'},  {78, 87, '+'}, {79, 89, '1'},   {80, 90, '2'},
    {81, 91, '3'},   {82, 98, '0'},  {83, 99, '.'}, {86, 100, '\\'},  // the extra key beside left
                                                                      // Shift on ISO boards
    {87, 68, 0},     {88, 69, 0},                                     // F11, F12
    {100, 104, 0},   {101, 105, 0},  {102, 106, 0},                   // F13-F15
    {112, 136, 0},                                                    // Kana
    {115, 135, 0},                                                    // Ro
    {121, 138, 0},                                                    // Convert
    {123, 139, 0},                                                    // No Convert
    {125, 137, 0},                                                    // Yen
    {141, 103, '='},                                                  // pad equals
    {144, 259, 0},                                                    // previous track
    {153, 258, 0},                                                    // next track
    {156, 88, 10},                                                    // pad Enter
    {157, 228, 0},                                                    // right Control
    {160, 262, 0},   {160, 127, 0},  // mute (media key, keyboard mute)
    {161, 266, 0},                   // calculator
    {162, 261, 0},                   // play / pause
    {164, 260, 0},                   // media stop
    {174, 129, 0},                   // volume down
    {176, 128, 0},                   // volume up
    {178, 269, 0},                   // web home
    {179, 133, 0},                   // pad comma
    {181, 84, '/'},                  // pad divide
    {183, 70, 0},                    // Print Screen
    {184, 230, 0},                   // right Alt
    {197, 72, 0},                    // Pause
    {199, 74, 0},                    // Home
    {200, 82, 0},                    // cursor up
    {201, 75, 0},                    // Page Up
    {203, 80, 0},                    // cursor left
    {205, 79, 0},                    // cursor right
    {207, 77, 0},                    // End
    {208, 81, 0},                    // cursor down
    {209, 78, 0},                    // Page Down
    {210, 73, 0},                    // Insert
    {211, 76, 0},                    // Delete
    {219, 227, 0},                   // left Windows key
    {220, 231, 0},                   // right Windows key
    {221, 101, 0},                   // Applications
    {222, 102, 0},                   // Power
    {223, 282, 0},                   // Sleep
    {229, 268, 0},                   // web search
    {230, 274, 0},                   // web favourites
    {231, 273, 0},                   // web refresh
    {232, 272, 0},                   // web stop
    {233, 271, 0},                   // web forward
    {234, 270, 0},                   // web back
    {235, 267, 0},                   // my computer
    {236, 265, 0},                   // mail
    {237, 263, 0},                   // media select
};

const KeyEntry* FindByNumber(int keyNumber) {
    for (const KeyEntry& entry : kKeys)
        if (entry.keyNumber == keyNumber) return &entry;
    return nullptr;
}
}  // namespace

int KeyNumberOfUsage(int usage) {
    if (usage <= 0) return 0;
    for (const KeyEntry& entry : kKeys)
        if (entry.usage == usage) return entry.keyNumber;
    return 0;
}

int UsageOfKeyNumber(int keyNumber) {
    const KeyEntry* entry = FindByNumber(keyNumber);
    return entry ? entry->usage : 0;
}

char DefaultKeyCharacter(int keyNumber) {
    const KeyEntry* entry = FindByNumber(keyNumber);
    return entry ? entry->plain : 0;
}

char KeyCharacter(int keyNumber, int layoutCharacter) {
    switch (keyNumber) {
        case keys::kRightShift:
        case keys::kLeftControl:
        case keys::kLeftShift:
        case keys::kNumLock:
        case keys::kLeftAlt:
        case keys::kCapsLock:
        case keys::kApplications:
            return 0;
        case keys::kReturn:
        case keys::kPadEnter:
            return 10;
        case keys::kBackspace:
            return 8;
        default:
            break;
    }
    if (layoutCharacter > 31 && layoutCharacter < 128) return char(layoutCharacter);
    return 0;
}
