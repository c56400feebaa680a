#include "shellext/module_state.h"

HINSTANCE ModuleInstance = nullptr;
LONG ModuleObjectCount = 0;
LONG ModuleLockCount = 0;
