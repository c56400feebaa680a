#include "engine/folder_path.h"

#include <shlobj.h>

bool ReadFolderPath(PCIDLIST_ABSOLUTE folder, wchar_t (&path)[MAX_PATH]) {
    path[0] = L'\0';
    if (folder == nullptr || !SHGetPathFromIDListW(folder, path) || path[0] == L'\0') {
        path[0] = L'\0';
        return false;
    }
    path[MAX_PATH - 1] = L'\0';
    const int length = lstrlenW(path);
    if (path[length - 1] == L'\\')
        path[length - 1] = L'\0';
    return true;
}
