// SPRCOLL: sprite numbers truncated, positions as 16-bit coordinates, the masks
// compared by the graphics object.
#include "commands/cmd_maths.h"

#include "commands/ProgramFrame.h"
#include "gfx/OpenGLRainbows.h"
#include "values/IntConv.h"

double SPRCOLL(double sprite1, double x1, double y1, double sprite2, double x2, double y2) {
    if (!pRbow) return 0;
    return pRbow->SpriteCollision(KvToInt(sprite1), KvToInt(sprite2), KvToShort(x1), KvToShort(y1),
                                  KvToShort(x2), KvToShort(y2))
               ? 1
               : 0;
}
