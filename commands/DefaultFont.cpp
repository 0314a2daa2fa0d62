// Font 0 at start-up, with the built-in copy of "Smalfont.bmp" behind it. The copy is
// loaded through an anonymous memory file, so that it goes the same way as a font
// file and leaves nothing on disk.
#include "commands/DefaultFont.h"

#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "commands/cmd_draw.h"
#include "gfx/OpenGLRainbows.h"
#include "runtime/Runtime.h"

extern OpenGLRainbows* pRbow;

namespace {
bool WriteAll(int fd, const unsigned char* bytes, unsigned long size) {
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<unsigned long>(written);
    }
    return true;
}

bool LoadBuiltInFont() {
    int fd = memfd_create("Smalfont.bmp", MFD_CLOEXEC);
    if (fd < 0) return false;
    bool loaded = WriteAll(fd, kDefaultFontBitmap, kDefaultFontBitmapSize) &&
                  pRbow->LoadFont(0, ("/proc/self/fd/" + std::to_string(fd)).c_str());
    close(fd);
    return loaded;
}

bool FontZeroLoaded() {
    int width = 0, height = 0;
    pRbow->GetFontSize(0, width, height);
    return width > 0 && height > 0;
}
}  // namespace

void LoadStartupFont() {
    LOADFONT("Smalfont.bmp", 0);
    if (!pRbow || FontZeroLoaded()) return;
    if (!LoadBuiltInFont())
        KvAppendErrorLog("Smalfont.bmp was found nowhere and the built-in font could not be "
                         "loaded: PRINT shows nothing in font 0");
}
