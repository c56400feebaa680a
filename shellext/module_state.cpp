#include "shellext/module_state.h"

HINSTANCE ModuleInstance = nullptr;
LONG ModuleObjectCount = 0;
SelectExtension* CurrentExtension = nullptr;
