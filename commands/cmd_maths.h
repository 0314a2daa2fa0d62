// Maths, random numbers, string commands and collisions: the pure ones, and the
// sprite collision, which asks the graphics object for the sprites' masks.
#pragma once

#include "maths/Maths.h"

double SPRCOLL(double sprite1, double x1, double y1, double sprite2, double x2, double y2);
