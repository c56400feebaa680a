// The files beside the setup program and the paths formed from the program's own path. Paths
// are UTF-16, as Windows names files, so a folder of any name is found and registered exactly.
#pragma once

#include <windows.h>

// The files that ship with the program and live in its folder.
constexpr wchar_t kDllFileName[] = L"Vestrane.dll";
constexpr wchar_t kTextFileName[] = L"Vestrane.txt";
// The Windows 11 package, in the x64 folder only.
constexpr wchar_t kMenuPackageFileName[] = L"Vestrane.msix";

// Writes the folder of programPath (cut at its last backslash), a backslash and fileName into
// out. false, with out empty, when the result would not fit into MAX_PATH characters.
bool PathBesideProgram(wchar_t (&out)[MAX_PATH], const wchar_t* programPath,
                       const wchar_t* fileName);

// The folder of path: cut at its last backslash, which a drive's root keeps ("C:\").
void CutToFolder(wchar_t (&path)[MAX_PATH]);

// The uninstall command: programPath in double quotes, a blank and "u". Quoting keeps a
// path with blanks from being read as another program ("C:\Program.exe"). false, with
// out empty, when it would not fit into MAX_PATH characters.
bool FormUninstallCommand(wchar_t (&out)[MAX_PATH], const wchar_t* programPath);
