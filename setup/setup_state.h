// The setup program's mutable state, shared by the entry, registration and the settings
// dialog. One thread; nothing locks.
#pragma once

#include <windows.h>

// Full path of the running program, as Windows names it (UTF-16); set by the entry, read by
// registration and removal.
extern wchar_t ProgramPath[MAX_PATH];
// Vestrane.dll in the program's own folder.
extern wchar_t DllPath[MAX_PATH];
// TRUE when the extension's class key existed when the program started; FALSE right
// after this run installed it.
extern BOOL WasInstalled;
// TRUE when a Windows Installer package owns the installation: its removal knows nothing of the
// Windows 11 package, so the settings dialog does not offer it.
extern BOOL WindowsInstallerOwnsInstallation;
// The program's instance, for the settings dialog's icon.
extern HINSTANCE SetupInstance;
// The "mode" and "select" values being edited in the settings dialog.
extern DWORD SetupMode;
extern DWORD SetupSelect;
