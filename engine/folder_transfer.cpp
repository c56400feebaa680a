#include "engine/folder_transfer.h"

#include <shlobj.h>

#include <cstring>

#include "text/dbcs.h"

const char kCopyTitle[] = "コピー先のフォルダを選択してください";
const char kMoveTitle[] = "移動先のフォルダを選択してください";
const char kResultFormat[] = "%d 個のファイルを%sしました。";
const char kCopyVerb[] = "コピー";
const char kMoveVerb[] = "移動";
const char kResultCaption[] = "Vestrane";

namespace {

// Writes folder + "\" + name into target. False, with target untouched, when the result
// would not fit in MAX_PATH bytes with its terminator.
bool FormTargetPath(char (&target)[MAX_PATH], const char* folder, const char* name) {
    const std::size_t folderLength = std::strlen(folder);
    const std::size_t nameLength = std::strlen(name);
    if (folderLength + 1 + nameLength + 1 > sizeof target)
        return false;
    std::memcpy(target, folder, folderLength);
    target[folderLength] = '\\';
    std::memcpy(target + folderLength + 1, name, nameLength + 1);
    return true;
}

// The chosen folder's path without a trailing backslash, or false when the user cancelled
// or the chosen item has no file-system path.
bool AskTargetFolder(RunRecord& run, HWND owner, char (&folder)[MAX_PATH]) {
    BROWSEINFOA browse = {};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = nullptr;
    browse.lpszTitle = run.Action == CopyToFolder ? kCopyTitle : kMoveTitle;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = FolderBrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(run.SourceFolder);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
    if (chosen == nullptr)
        return false;
    folder[0] = '\0';
    const BOOL hasPath = SHGetPathFromIDListA(chosen, folder);
    CoTaskMemFree(chosen);
    // Copying into whatever the buffer held before would be worse than doing nothing.
    if (!hasPath || folder[0] == '\0')
        return false;
    folder[MAX_PATH - 1] = '\0';
    RemoveTrailingBackslash(folder);
    return true;
}

} // namespace

void CopyOrMoveToFolder(RunRecord& run, HWND owner) {
    char folder[MAX_PATH];
    if (!AskTargetFolder(run, owner, folder))
        return;

    int count = 0;
    char target[MAX_PATH];
    if (run.SelectedPaths != nullptr) {
        StringList& paths = *run.SelectedPaths;
        for (const char* source = paths.GetFirst(); source != nullptr; source = paths.GetNext()) {
            // A target that does not fit is skipped like a copy that fails.
            if (!FormTargetPath(target, folder, FileNamePart(source)))
                continue;
            if (!CopyFileA(source, target, FALSE))
                continue;
            ++count;
            if (run.Action == MoveToFolder)
                DeleteFileA(source);
        }
    }

    // The count has at most 11 characters, so the text fits the buffer.
    wsprintfA(target, kResultFormat, count, run.Action == CopyToFolder ? kCopyVerb : kMoveVerb);
    MessageBoxA(owner, target, kResultCaption, MB_OK);
}

int CALLBACK FolderBrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED)
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}
