#include "engine/action_guard.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace {

// The path's parent is the source folder and its name one item of it: no "." or "..", and no
// separator that Windows would read as one more level ("/"), a drive (":") or a stream.
bool StandsInFolder(const wchar_t* path, const wchar_t* folder) {
    const wchar_t* name = wcsrchr(path, L'\\');
    if (name == nullptr || *folder == L'\0')
        return false;
    const int parentLength = static_cast<int>(name - path);
    ++name;
    if (*name == L'\0' || wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0 ||
        wcspbrk(name, L"/:") != nullptr)
        return false;
    return CompareStringOrdinal(path, parentLength, folder, -1, TRUE) == CSTR_EQUAL &&
           GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// The name that the result shows for a path: what follows its last backslash.
const wchar_t* ShownName(const wchar_t* path) {
    const wchar_t* separator = wcsrchr(path, L'\\');
    return separator != nullptr ? separator + 1 : path;
}

} // namespace

void GuardSelectedPaths(RunRecord& run) {
    WideStringList kept;
    for (const wchar_t* path = run.SelectedPaths.GetFirst(); path != nullptr;
         path = run.SelectedPaths.GetNext()) {
        if (StandsInFolder(path, run.SourceFolder)) {
            kept.Append(path);
            continue;
        }
        const DWORD bytes = static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t));
        run.PathBytesTotal -= std::min(bytes, run.PathBytesTotal);
        run.UncollectedMatches.Append(ShownName(path));
        ++run.UncollectedCount;
    }
    run.SelectedPaths = std::move(kept);
}
