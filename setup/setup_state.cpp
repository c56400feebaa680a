#include "setup/setup_state.h"

char ProgramPath[MAX_PATH] = {};
char DllPath[MAX_PATH] = {};
BOOL WasInstalled = FALSE;
HINSTANCE SetupInstance = nullptr;
DWORD SetupMode = 0;
DWORD SetupSelect = 0;
