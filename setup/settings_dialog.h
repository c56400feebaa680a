// The setup program's modeless settings dialog (template IDD_SETTINGS) and its reader
// and writer of the extension's defaults "mode" and "select".
#pragma once

#include <windows.h>

// SetupMode and SetupSelect from the settings key under HKEY_CURRENT_USER; 0 for
// whatever cannot be read.
void ReadSetupSettings();
// Writes SetupMode and SetupSelect as REG_DWORD; silently nothing when the key cannot be
// created.
void WriteSetupSettings();

// The dialog procedure. Destroying the dialog posts WM_QUIT, which ends the program.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
