// Registration of the extension DLL and its removal.
#pragma once

#include <windows.h>

// Asks whether to install, then registers DllPath as the extension's in-process server,
// hooks it into the context menu of all files and writes the uninstall entry. Returns 1
// when the class key was written (later keys that cannot be created are skipped), 0 when
// the user did not answer Yes or the class key cannot be created (then a message says so).
int InstallExtension(HWND owner);

// Deletes the registration and the current user's settings, schedules ProgramPath and
// DllPath for deletion at the next restart, deletes Vestrane.txt beside the program and
// reports. When the class key's "InprocServer32" cannot be deleted nothing is removed
// and a message says so.
void UninstallExtension();
