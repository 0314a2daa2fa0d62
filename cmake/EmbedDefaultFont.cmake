# Writes commands/DefaultFontBitmap.cpp, the runtime's own copy of the default font,
# from the Smalfont.bmp the media generator makes:
#   cmake -DFONT=<build>/game/Smalfont.bmp -DOUTPUT=commands/DefaultFontBitmap.cpp -P cmake/EmbedDefaultFont.cmake
# (the build target kv_default_font does this; the font test says when it is due).
file(READ ${FONT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# 24 bytes a line.
set(bytes "")
foreach(start RANGE 0 ${digits} 48)
  string(SUBSTRING "${hex}" ${start} 48 line)
  if(line)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," line "${line}")
    string(APPEND bytes "    ${line}\n")
  endif()
endforeach()
file(WRITE ${OUTPUT} "// The runtime's own copy of the default font Smalfont.bmp (8 x 8 cells, white on
// black), for programs that bring none. Written by cmake/EmbedDefaultFont.cmake from
// the font the media generator makes; do not edit.
#include \"commands/DefaultFont.h\"

const unsigned char kDefaultFontBitmap[] = {
${bytes}};
const unsigned long kDefaultFontBitmapSize = ${size};
")
