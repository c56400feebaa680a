// The setup program's state, shared by the entry, registration and the settings dialog.
// One thread; nothing locks.
#pragma once

#include <windows.h>

// Full path of the running program; set by the entry, read by registration and removal.
extern char ProgramPath[MAX_PATH];
// Vestrane.dll in the program's own folder.
extern char DllPath[MAX_PATH];
// TRUE when the extension's class key existed when the program started; FALSE right
// after this run installed it.
extern BOOL WasInstalled;
// The program's instance, for the settings dialog's icon.
extern HINSTANCE SetupInstance;
// The "mode" and "select" values being edited in the settings dialog.
extern DWORD SetupMode;
extern DWORD SetupSelect;

// The extension's class identifier in registry form.
constexpr char kClassId[] = "{76F7FE62-BCEE-11d5-96CD-444553540000}";
// The name under which the handler and the uninstall entry are registered.
constexpr char kProductName[] = "Vestrane";
constexpr char kDllFileName[] = "Vestrane.dll";
constexpr char kTextFileName[] = "Vestrane.txt";

// Writes the folder of programPath (cut at its last backslash that is not the second
// byte of a double-byte character), a backslash and fileName into out. false, with out
// empty, when the result would not fit into MAX_PATH bytes.
bool PathBesideProgram(char (&out)[MAX_PATH], const char* programPath, const char* fileName);

// The uninstall command: programPath in double quotes, a blank and "u". Quoting keeps a
// path with blanks from being read as another program ("C:\Program.exe"). false, with
// out empty, when it would not fit into MAX_PATH bytes.
bool FormUninstallCommand(char (&out)[MAX_PATH], const char* programPath);
