// Path finding over a grid cost map.
#pragma once

#include "values/KvArray.h"

double FINDPATH(KvIntArray& map, KvIntArray& path, double weight, double startx, double starty,
                double goalx, double goaly);
