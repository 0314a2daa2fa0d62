// Everything a translated program uses: values, the program frame and the commands.
#pragma once

#include "commands/MediaLookup.h"
#include "commands/ProgramFrame.h"
#include "commands/cmd_draw.h"
#include "commands/cmd_files.h"
#include "commands/cmd_input.h"
#include "commands/cmd_maths.h"
#include "commands/cmd_path.h"
#include "commands/cmd_screen.h"
#include "commands/cmd_sound.h"
#include "runtime/KvVersion.h"
#include "values/IntConv.h"
#include "values/KvArray.h"
#include "values/KvStr.h"
