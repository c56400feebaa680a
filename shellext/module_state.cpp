#include "shellext/extension_record.h"

HINSTANCE ModuleInstance = nullptr;
LONG ModuleObjectCount = 0;
SelectExtension* CurrentExtension = nullptr;
