#include "engine/folder_transfer.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>

#include "common/code_page_932.h"

const char kCopyTitle[] = "コピー先のフォルダを選択してください";
const char kMoveTitle[] = "移動先のフォルダを選択してください";
const char kResultFormat[] = "%d 個のファイルを%sしました。";
const char kCopyVerb[] = "コピー";
const char kMoveVerb[] = "移動";
const char kResultCaption[] = "Vestrane";

namespace {

// Room for the action's texts in UTF-16: each is far shorter than a path.
constexpr int kTextRoom = MAX_PATH;

// The name part of a UTF-16 path: what follows its last backslash or colon.
const wchar_t* NamePart(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* at = path; *at != L'\0'; ++at) {
        if (*at == L'\\' || *at == L':')
            name = at + 1;
    }
    return name;
}

// Writes folder + "\" + name into target. False, with target untouched, when the result
// would not fit in MAX_PATH characters with its terminator.
bool FormTargetPath(wchar_t (&target)[MAX_PATH], const wchar_t* folder, const wchar_t* name) {
    const std::size_t folderLength = wcslen(folder);
    const std::size_t nameLength = wcslen(name);
    if (folderLength + 1 + nameLength + 1 > MAX_PATH)
        return false;
    std::memcpy(target, folder, folderLength * sizeof(wchar_t));
    target[folderLength] = L'\\';
    std::memcpy(target + folderLength + 1, name, (nameLength + 1) * sizeof(wchar_t));
    return true;
}

// The chosen folder's path without a trailing backslash, or false when the user cancelled
// or the chosen item has no file-system path.
bool AskTargetFolder(RunRecord& run, HWND owner, wchar_t (&folder)[MAX_PATH]) {
    wchar_t title[kTextRoom];
    Cp932ToWide(run.Action == CopyToFolder ? kCopyTitle : kMoveTitle, title, kTextRoom);
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = nullptr;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = FolderBrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(run.SourceFolder);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr)
        return false;
    folder[0] = L'\0';
    const BOOL hasPath = SHGetPathFromIDListW(chosen, folder);
    CoTaskMemFree(chosen);
    // Copying into whatever the buffer held before would be worse than doing nothing.
    if (!hasPath || folder[0] == L'\0')
        return false;
    folder[MAX_PATH - 1] = L'\0';
    const std::size_t length = wcslen(folder);
    if (folder[length - 1] == L'\\')
        folder[length - 1] = L'\0';
    return true;
}

void ShowResult(HWND owner, int count, DWORD action) {
    // The count has at most 11 characters, so the text fits the buffer.
    char text[kTextRoom];
    wsprintfA(text, kResultFormat, count, action == CopyToFolder ? kCopyVerb : kMoveVerb);
    wchar_t wideText[kTextRoom];
    Cp932ToWide(text, wideText, kTextRoom);
    wchar_t caption[kTextRoom];
    Cp932ToWide(kResultCaption, caption, kTextRoom);
    MessageBoxW(owner, wideText, caption, MB_OK);
}

} // namespace

void CopyOrMoveToFolder(RunRecord& run, HWND owner) {
    wchar_t folder[MAX_PATH];
    if (!AskTargetFolder(run, owner, folder))
        return;

    int count = 0;
    if (run.SelectedPaths != nullptr) {
        WideStringList& paths = *run.SelectedPaths;
        wchar_t target[MAX_PATH];
        for (const wchar_t* source = paths.GetFirst(); source != nullptr;
             source = paths.GetNext()) {
            // A target that does not fit is skipped like a copy that fails.
            if (!FormTargetPath(target, folder, NamePart(source)))
                continue;
            if (!CopyFileW(source, target, FALSE))
                continue;
            ++count;
            if (run.Action == MoveToFolder)
                DeleteFileW(source);
        }
    }
    ShowResult(owner, count, run.Action);
}

int CALLBACK FolderBrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED)
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}
