// The package that gives Windows 11's first context menu its entry (Vestrane.msix beside the
// program, registered with the program's folder as its external location), and Windows'
// package manager, which registers and removes it. The package manager is reached through a
// table of functions, so that tests put their own in place of Windows' (Wine has none).
#pragma once

#include <windows.h>

#include "common/message_box.h"

// The first build of Windows 11, whose first context menu takes entries only from packages.
constexpr DWORD kFirstWindows11Build = 22000;

// Room for the package manager's own account of a failure, terminator included.
constexpr int kPackageErrorRoom = 512;
using PackageErrorText = wchar_t[kPackageErrorRoom];

struct MenuPackageFunctions {
    // True when a package of Vestrane's package family is registered for the current user.
    bool (*IsRegistered)();
    // Registers the unsigned package file with folder as its external location. On a failure
    // errorText holds the package manager's account of it, or is empty.
    HRESULT (*Register)(const wchar_t* package, const wchar_t* folder, PackageErrorText& errorText);
    // Removes every package of the family; S_OK when there is none.
    HRESULT (*Remove)(PackageErrorText& errorText);
};

// Windows' package manager, through the Windows Runtime; or what a test put in its place.
const MenuPackageFunctions& MenuPackages();
// Test seam. Null returns to Windows' package manager. Used where it stands, not copied.
void OverrideMenuPackages(const MenuPackageFunctions* functions);

// Registers the package beside ProgramPath with ProgramPath's folder as its external location.
HRESULT RegisterMenuPackage(PackageErrorText& errorText);

// The "file:" URI of a path of a drive ("file:///C:/...") or a UNC path ("file://server/..."),
// its characters outside the URI's own percent-encoded as UTF-8; false when it does not fit
// room characters with its terminator.
bool FormFileUri(wchar_t* out, int room, const wchar_t* path);

// The text of message `text` (IDS_MENU_PACKAGE_NOT_REGISTERED, IDS_MENU_PACKAGE_NOT_REMOVED):
// the failure's code in hexadecimal and what it means, the package manager's errorText where
// it gave one, Windows' own text of the code otherwise.
void FormMenuPackageFailure(wchar_t (&out)[kMessageRoom], UINT text, HRESULT failure,
                            const wchar_t* errorText);
void ShowMenuPackageFailure(HWND owner, UINT text, HRESULT failure, const wchar_t* errorText);
