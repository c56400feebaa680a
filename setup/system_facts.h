// What the setup program learns about the system it runs on: its own path, the platform
// family, the build of Windows, whether it is a 32-bit program on 64-bit Windows and where
// Vestrane's Windows Installer packages are installed. Tests put their own answers in place of
// the system's, so that a run can pretend to live in a scratch folder, on the other platform
// family, on Windows 11, under WOW64 or beside a package's installation.
#pragma once

#include <windows.h>

// Copies the running program's full path into path. false when the path does not fit into
// MAX_PATH characters with its terminator (it would have been cut short).
bool ReadProgramPath(wchar_t (&path)[MAX_PATH]);

// dwPlatformId as GetVersionExA reports it: VER_PLATFORM_WIN32_NT (2) for the NT family.
DWORD PlatformId();

// The build number of Windows as Windows itself reports it (22000 and later: Windows 11).
DWORD WindowsBuild();

// True for a 32-bit program on 64-bit Windows: its registry view is not the one the 64-bit
// Explorer reads, and that Explorer cannot load a 32-bit DLL.
bool RunsUnderWow64();

// The most installations of Vestrane's Windows Installer packages that a run looks at: one
// for each architecture's upgrade code is all that a major upgrade leaves.
constexpr int kMaxPackageFolders = 4;

// Writes the install folder of each installed Windows Installer package of Vestrane, found by
// the packages' upgrade codes, into folders, each ending in a backslash; returns how many.
// None where Windows Installer is missing or has no such package.
int ReadPackageFolders(wchar_t (&folders)[kMaxPackageFolders][MAX_PATH]);

// A DLL of the system folder, loaded by its full path: a DLL that is not among the known DLLs,
// loaded by name, would be looked for first in the program's folder, where anyone who may write
// there (a download folder) could place their own and have it run elevated. Null when it cannot
// be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of a loaded module as its own type; null when the module lacks it.
template <typename Function> Function ModuleFunction(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Test seams. A null path, or ClearSystemFactOverrides, returns to the system's answers. The
// path is used where it stands, not copied.
void OverrideProgramPath(const wchar_t* path);
void OverridePlatformId(DWORD platformId);
void OverrideWindowsBuild(DWORD build);
void OverrideRunsUnderWow64(bool wow64);
// One package installed in folder; an empty folder: none.
void OverridePackageFolder(const wchar_t* folder);
void ClearSystemFactOverrides();
