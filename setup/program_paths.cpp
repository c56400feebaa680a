#include "setup/program_paths.h"

#include "common/path_join.h"

void CutToFolder(wchar_t (&path)[MAX_PATH]) {
    int last = -1;
    for (int i = 0; path[i] != L'\0'; ++i) {
        if (path[i] == L'\\')
            last = i;
    }
    if (last < 0)
        return;
    const bool driveRoot = last == 2 && path[1] == L':';
    path[driveRoot ? last + 1 : last] = L'\0';
}

bool PathBesideProgram(wchar_t (&out)[MAX_PATH], const wchar_t* programPath,
                       const wchar_t* fileName) {
    out[0] = L'\0';
    const int pathLength = lstrlenW(programPath);
    if (pathLength >= MAX_PATH)
        return false;
    wchar_t folder[MAX_PATH];
    CopyMemory(folder, programPath, (pathLength + 1) * sizeof(wchar_t));
    CutToFolder(folder);
    // A drive's root already ends in its backslash.
    const int folderLength = lstrlenW(folder);
    if (folderLength > 0 && folder[folderLength - 1] == L'\\')
        folder[folderLength - 1] = L'\0';
    return JoinPath(out, folder, fileName);
}

bool FormUninstallCommand(wchar_t (&out)[MAX_PATH], const wchar_t* programPath) {
    out[0] = L'\0';
    const int pathLength = lstrlenW(programPath);
    // Two quotes, a blank, "u" and the terminator.
    if (pathLength + 5 > MAX_PATH)
        return false;
    out[0] = L'"';
    CopyMemory(out + 1, programPath, pathLength * sizeof(wchar_t));
    CopyMemory(out + 1 + pathLength, L"\" u", 4 * sizeof(wchar_t));
    return true;
}
