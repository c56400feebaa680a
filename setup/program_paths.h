// The files beside the setup program and the paths formed from the program's own path.
#pragma once

#include <windows.h>

// The files that ship with the program and live in its folder.
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
