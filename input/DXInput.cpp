// DXInput: device set-up.
#include "input/DXInput.h"

bool DXInput::CreateDInput(GameWindow*, bool) { return true; }
