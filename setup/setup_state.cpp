#include "setup/setup_state.h"

wchar_t ProgramPath[MAX_PATH] = {};
wchar_t DllPath[MAX_PATH] = {};
BOOL WasInstalled = FALSE;
BOOL WindowsInstallerOwnsInstallation = FALSE;
HINSTANCE SetupInstance = nullptr;
DWORD SetupMode = 0;
DWORD SetupSelect = 0;
