// The setup program's entry: finds the DLL beside the program and chooses between
// removal, installation, the settings dialog and the Windows 11 package's step.
#pragma once

#include <windows.h>

#include "setup/exit_codes.h"

// Everything the program does, from finding its own path to the end of the settings
// dialog's message loop. arguments is the command line without the program's name, as
// ReadSetupCommand reads it: "u" removes the extension, "/package add|remove" only registers or
// removes the Windows 11 package, "/quiet" shows no window, "/log FILE" keeps an account of the
// run (RunLog). Beside an installation that a Windows Installer package owns, the program
// refuses a removal and otherwise warns of a folder that others may change and shows only the
// settings dialog. A quiet run stores the stored or default settings in place of the dialog.
// instance holds the dialog template and icon. Returns the exit code: 0, kExitFailed (without
// /quiet) or the failure's own code of exit_codes.h (with it), or that of the settings dialog.
int RunSetup(HINSTANCE instance, const wchar_t* arguments);
