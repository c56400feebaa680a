// What the setup program learns about the system it runs on: its own path and the
// platform family. Tests put their own answers in place of the system's, so that a run
// can pretend to live in a scratch folder or on the other platform family.
#pragma once

#include <windows.h>

// Copies the running program's full path into path. false when the path does not fit
// into MAX_PATH bytes with its terminator (it would have been cut short).
bool ReadProgramPath(char (&path)[MAX_PATH]);

// dwPlatformId as GetVersionExA reports it: VER_PLATFORM_WIN32_NT (2) for the NT family.
DWORD PlatformId();

// Test seams. A null path, or ClearSystemFactOverrides, returns to the system's answers.
void OverrideProgramPath(const char* path);
void OverridePlatformId(DWORD platformId);
void ClearSystemFactOverrides();
