// The file-system path of a folder the shell names by an item id list, in the form the
// command keeps its folders: no trailing backslash, so a root is "C:".
#pragma once

#include <windows.h>
#include <shtypes.h>

// False, with path empty, for a null list, a folder outside the file system (the computer, a
// library, search results) or one whose path does not fit.
bool ReadFolderPath(PCIDLIST_ABSOLUTE folder, wchar_t (&path)[MAX_PATH]);
