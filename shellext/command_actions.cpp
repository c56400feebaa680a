#include "shellext/command_actions.h"

#include <shlobj.h>

#include <algorithm>

#include "common/message_box.h"
#include "common/owned.h"
#include "common/resource_text.h"
#include "engine/clipboard_transfer.h"
#include "engine/folder_path.h"
#include "engine/folder_transfer.h"
#include "shellext/module_state.h"
#include "shellext/resource.h"

namespace {

// Room for a title: far shorter than a path.
constexpr int kTitleRoom = MAX_PATH;
// Room for the names of the folders that the closing message lists: a few lines.
constexpr int kFolderNamesRoom = 300;

// The chosen folder's path without a trailing backslash, or false when the user cancelled
// or the chosen item has no file-system path.
bool AskTargetFolder(RunRecord& run, HWND owner, wchar_t (&folder)[MAX_PATH]) {
    const ResourceText<kTitleRoom> title(
        ModuleInstance, run.Action == CopyToFolder ? IDS_COPY_TITLE : IDS_MOVE_TITLE);
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.lpszTitle = title.Get();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = FolderBrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(run.SourceFolder);
    const TaskMemory<PIDLIST_ABSOLUTE> chosen(SHBrowseForFolderW(&browse));
    return chosen.Valid() && ReadFolderPath(chosen.Get(), folder);
}

// Appends the names of the folders that were left out behind the text, as many as the room
// holds, then "...".
void AppendFolderNames(wchar_t (&text)[kMessageRoom], TransferOutcome& outcome, bool copy) {
    wchar_t count[16];
    wsprintfW(count, L"%d", outcome.LeftFolderCount);
    const ResourceText<kTitleRoom> format(ModuleInstance,
                                          copy ? IDS_FOLDERS_NOT_COPIED : IDS_FOLDERS_NOT_MOVED);
    wchar_t line[kMessageRoom];
    FormText(line, format.Get(), {count});
    int length = lstrlenW(text);
    lstrcpynW(text + length, line, kMessageRoom - length);
    length = lstrlenW(text);
    const int limit = std::min(kMessageRoom - 1, length + kFolderNamesRoom);
    WideStringList& names = outcome.LeftFolders;
    const wchar_t* separator = L"";
    for (const wchar_t* name = names.GetFirst(); name != nullptr;
         name = names.GetNext(), separator = L", ") {
        const int needed = lstrlenW(separator) + lstrlenW(name);
        if (length + needed > limit - 3) {
            lstrcpyW(text + length, L"...");
            return;
        }
        lstrcpyW(text + length, separator);
        lstrcatW(text + length, name);
        length += needed;
    }
}

void ShowTransferResult(HWND owner, TransferOutcome& outcome, DWORD action) {
    const bool copy = action == CopyToFolder;
    const UINT id = outcome.Completed ? (copy ? IDS_COPIED : IDS_MOVED)
                                      : (copy ? IDS_COPY_STOPPED : IDS_MOVE_STOPPED);
    wchar_t count[16];
    wsprintfW(count, L"%d", outcome.Count);
    wchar_t format[kMessageRoom];
    LoadText(ModuleInstance, id, format, kMessageRoom);
    wchar_t text[kMessageRoom];
    FormText(text, format, {count});
    if (outcome.LeftFolderCount > 0)
        AppendFolderNames(text, outcome, copy);
    ShowText(owner, text, ModuleInstance, IDS_CAPTION_RESULT, MB_OK);
}

} // namespace

void RunChosenAction(RunRecord& run, HWND owner) {
    switch (run.Action) {
    case ClipboardCopy:
    case ClipboardCut:
        if (PutFilesOnClipboard(run, GetDesktopWindow()) == ClipboardResult::Busy)
            ShowMessage(owner, ModuleInstance, IDS_CLIPBOARD_BUSY, IDS_CAPTION_ERROR, MB_OK);
        break;
    case CopyToFolder:
    case MoveToFolder: {
        wchar_t folder[MAX_PATH];
        if (!AskTargetFolder(run, owner, folder))
            break;
        TransferOutcome outcome;
        TransferToFolder(run, folder, owner, outcome);
        ShowTransferResult(owner, outcome, run.Action);
        break;
    }
    default:
        break;
    }
}

int CALLBACK FolderBrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED)
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}
