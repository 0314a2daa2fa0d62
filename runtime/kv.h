// Everything a translated program uses: values, the program frame and the commands.
#pragma once

#include "runtime/Frame.h"
#include "runtime/IntConv.h"
#include "runtime/KvArray.h"
#include "runtime/KvStr.h"
#include "runtime/cmd_draw.h"
#include "runtime/cmd_files.h"
#include "runtime/cmd_input.h"
#include "runtime/cmd_maths.h"
#include "runtime/cmd_path.h"
#include "runtime/cmd_screen.h"
#include "runtime/cmd_sound.h"
