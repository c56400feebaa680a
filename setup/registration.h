// Registration of the extension DLL and its removal.
#pragma once

#include <windows.h>

enum RegistrationResult {
    Registered,
    // The user answered No; nothing was written.
    RegistrationDeclined,
    // A key could not be written: everything this run wrote was put back, and a message said
    // which key failed.
    RegistrationFailed,
};

// Asks whether to install, then RegisterExtension.
RegistrationResult InstallExtension(HWND owner);

// Registers DllPath as the extension's in-process server, hooks it into the context menus of
// files, of folder items and of a folder window's background, and writes the uninstall entry
// for ProgramPath. When users other than the
// administrators could replace the DLL, first explains the risk and goes on only when the
// user answers Yes.
RegistrationResult RegisterExtension(HWND owner);

// Run on an installed system: reads every entry of the registration and writes those that are
// missing or differ from what RegisterExtension writes, after the same folder check and within
// the same snapshot, so that a registration that lost entries works again. Writes nothing
// and asks nothing when every entry holds its value.
RegistrationResult RepairRegistration(HWND owner);

// True when the extension's class key exists.
bool ClassIsRegistered();

// The path that the extension's class is registered with, into registered (empty when there
// is none); true when it names DllPath's file, under whatever spelling.
bool RegisteredDllIsOurs(wchar_t (&registered)[MAX_PATH]);

// True when a Windows Installer package of Vestrane owns the installation that a run would
// change: the DLL beside the program, or the DLL that the class is registered with, is the one
// in an installed package's folder (compared as files, under whatever spelling). The package's
// folder goes into folder. Removing or registering over such an installation would leave the
// package's entry in Apps & Features behind, and its repair would undo the change.
bool PackageOwnsInstallation(wchar_t (&folder)[MAX_PATH]);

// Deletes the registration and the current user's settings, deletes ProgramPath and DllPath
// (one that is held open, renamed beside itself, at the next restart), deletes Vestrane.txt
// beside the program and reports. When a key cannot be deleted (the class key's
// "InprocServer32" must be there to be deleted), every key deleted so far is put back,
// nothing else happens, a message names the key and what stands, and the result is false.
bool UninstallExtension();
