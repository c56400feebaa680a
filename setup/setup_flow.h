// The setup program's entry: finds the DLL beside the program and chooses between
// removal, installation and the settings dialog.
#pragma once

#include <windows.h>

// The exit code of a run that failed: a registration or removal that was put back, or a
// refusal (a path too long, the DLL missing, not a hard disk, the 32-bit setup under WOW64, a
// removal of what a Windows Installer package installed).
constexpr int kExitFailed = 1;

// Everything the program does, from finding its own path to the end of the settings
// dialog's message loop. arguments is the command line without the program's name; one
// that begins with a lower-case "u" removes the extension. Beside an installation that a
// Windows Installer package owns, the program refuses a removal and otherwise only shows the
// settings dialog. instance holds the dialog template and icon. Returns the exit code: 0,
// kExitFailed, or that of the settings dialog.
int RunSetup(HINSTANCE instance, const char* arguments);
