// A path formed from a folder and a name, as both programs form the paths they open.
#pragma once

#include <windows.h>

// Writes folder + "\" + name into out. False, with out untouched, when the result would not fit
// in MAX_PATH characters with its terminator.
bool JoinPath(wchar_t (&out)[MAX_PATH], const wchar_t* folder, const wchar_t* name);
