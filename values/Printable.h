// Names read from files (pack entries, key-script words) shown to a person: control
// characters are written as escapes, so a hostile file cannot drive the terminal.
#pragma once

#include <string>
#include <string_view>

// The text with every control character (C0, DEL, C1), every byte that is not part of
// well-formed UTF-8 and every backslash written as \xHH (\\ for the backslash); the
// rest, UTF-8 letters included, stays as it is.
std::string PrintableText(std::string_view text);
