// Definitions of the game's global variables and arrays.
#include "game/kip_globals.h"

namespace kipgame {

#define KIP_DEFINE_VARIABLE(name) double name = 0;
#define KIP_DEFINE_ARRAY(name) KvIntArray name;
KIP_VARIABLES(KIP_DEFINE_VARIABLE)
KIP_ARRAYS(KIP_DEFINE_ARRAY)

void ResetAllVariables() {
#define KIP_RESET_VARIABLE(name) name = 0;
    KIP_VARIABLES(KIP_RESET_VARIABLE)
}

}  // namespace kipgame
