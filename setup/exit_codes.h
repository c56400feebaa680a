// Vestinst's exit codes, for the scripts and Windows Installer custom actions that run it. A run
// with a user at the screen has told that user why it failed, so each of its failures ends with
// kExitFailed, as it always did; a quiet run tells only its caller, so each failure has its own.
#pragma once

constexpr int kExitDone = 0;
// Every failure of a run without /quiet.
constexpr int kExitFailed = 1;
// The command line asks for nothing Vestinst knows, or its log cannot be opened.
constexpr int kExitBadCommandLine = 2;
// The program's path, or the uninstall command formed from it, is too long.
constexpr int kExitPathTooLong = 3;
// Vestrane.dll is not beside the program, or another program holds it open for writing.
constexpr int kExitDllMissing = 4;
// The program runs from a removable, network or CD-ROM drive.
constexpr int kExitNotFixedDisk = 5;
// The 32-bit program on 64-bit Windows.
constexpr int kExitNeedsX64Setup = 6;
// Users other than the administrators may change the DLL or a folder above it: nothing is
// registered (beside a Windows Installer installation: the settings are not stored either).
constexpr int kExitUnsafeFolder = 7;
// Explorer's class names the DLL of another folder, which stays registered; for /package add,
// the class does not name this folder's DLL.
constexpr int kExitOtherFolderRegistered = 8;
// A registry key could not be written; the run's changes were put back (the log says whether
// all of them).
constexpr int kExitRegistrationFailed = 9;
// A registry key could not be deleted; the run's changes were put back.
constexpr int kExitRemovalFailed = 10;
// A removal beside an installation of a Windows Installer package, whose removal it is.
constexpr int kExitPackageInstallation = 11;
// The Windows 11 package could not be registered or removed.
constexpr int kExitMenuPackageFailed = 12;
