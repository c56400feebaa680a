#include "common/path_join.h"

bool JoinPath(wchar_t (&out)[MAX_PATH], const wchar_t* folder, const wchar_t* name) {
    const int folderLength = lstrlenW(folder);
    const int nameLength = lstrlenW(name);
    if (folderLength + 1 + nameLength >= MAX_PATH)
        return false;
    CopyMemory(out, folder, folderLength * sizeof(wchar_t));
    out[folderLength] = L'\\';
    CopyMemory(out + folderLength + 1, name, (nameLength + 1) * sizeof(wchar_t));
    return true;
}
