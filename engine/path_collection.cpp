#include "engine/path_collection.h"

#include <cwchar>

bool CollectPath(RunRecord& run, const wchar_t* fullPath) {
    const std::size_t length = wcsnlen(fullPath, MAX_PATH);
    if (length >= MAX_PATH)
        return false;
    WideStringList& paths = run.SelectedPaths;
    WideStringListNode* const before = paths.Tail;
    paths.Append(fullPath);
    // A node without text ends every walk, so a path stored that way is not in the list.
    if (paths.Tail == before || paths.Tail->Text == nullptr)
        return false;
    run.PathBytesTotal += static_cast<DWORD>((length + 1) * sizeof(wchar_t));
    return true;
}
