#include "shellext/command_actions.h"

#include <shlobj.h>

#include <algorithm>
#include <initializer_list>

#include "common/message_box.h"
#include "common/owned.h"
#include "common/resource_text.h"
#include "engine/action_guard.h"
#include "engine/clipboard_transfer.h"
#include "engine/folder_path.h"
#include "engine/folder_transfer.h"
#include "shellext/module_state.h"
#include "shellext/resource.h"

namespace {

// Room for a title: far shorter than a path.
constexpr int kTitleRoom = MAX_PATH;
// Room for each list of names that the closing message holds (the matches that did not go,
// the folders): a few lines.
constexpr int kNamesRoom = 300;

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

// Appends formatId formed with the arguments behind the text.
void AppendText(wchar_t (&text)[kMessageRoom], UINT formatId,
                std::initializer_list<const wchar_t*> arguments) {
    const ResourceText<kTitleRoom> format(ModuleInstance, formatId);
    wchar_t line[kMessageRoom];
    FormText(line, format.Get(), arguments);
    const int length = lstrlenW(text);
    lstrcpynW(text + length, line, kMessageRoom - length);
}

// Appends the names of the lists behind the text, as many as the room holds, then "..." when
// count (which may be more than the lists hold) is more than were shown.
void AppendNames(wchar_t (&text)[kMessageRoom], int count,
                 std::initializer_list<WideStringList*> lists) {
    int length = lstrlenW(text);
    const int limit = std::min(kMessageRoom - 1, length + kNamesRoom);
    int shown = 0;
    const wchar_t* separator = L"";
    for (WideStringList* names : lists) {
        for (const wchar_t* name = names->GetFirst(); name != nullptr;
             name = names->GetNext(), separator = L", ") {
            const int needed = lstrlenW(separator) + lstrlenW(name);
            if (length + needed > limit - 3) {
                lstrcpyW(text + length, L"...");
                return;
            }
            lstrcpyW(text + length, separator);
            lstrcatW(text + length, name);
            length += needed;
            ++shown;
        }
    }
    if (shown < count)
        lstrcpyW(text + length, L"...");
}

// The count as text, for FormText.
struct CountText {
    explicit CountText(int count) { wsprintfW(Text, L"%d", count); }
    wchar_t Text[16];
};

// The result names every match that did not go: those no action could take, and the files
// the transfer left out or that did not arrive, after the count of those that went.
void ShowTransferResult(HWND owner, RunRecord& run, TransferOutcome& outcome) {
    const bool copy = run.Action == CopyToFolder;
    const CountText count(outcome.Count);
    const int leftCount = run.UncollectedCount + outcome.LeftFileCount;
    const CountText left(leftCount);
    wchar_t text[kMessageRoom] = {};
    if (!outcome.Completed) {
        AppendText(text, copy ? IDS_COPY_STOPPED : IDS_MOVE_STOPPED, {count.Text});
        if (leftCount > 0)
            AppendText(text, copy ? IDS_FILES_NOT_COPIED : IDS_FILES_NOT_MOVED, {left.Text});
    } else if (leftCount > 0) {
        AppendText(text, copy ? IDS_COPY_INCOMPLETE : IDS_MOVE_INCOMPLETE, {count.Text, left.Text});
    } else {
        AppendText(text, copy ? IDS_COPIED : IDS_MOVED, {count.Text});
    }
    if (leftCount > 0)
        AppendNames(text, leftCount, {&run.UncollectedMatches, &outcome.LeftFiles});
    if (outcome.LeftFolderCount > 0) {
        const CountText folders(outcome.LeftFolderCount);
        AppendText(text, copy ? IDS_FOLDERS_NOT_COPIED : IDS_FOLDERS_NOT_MOVED, {folders.Text});
        AppendNames(text, outcome.LeftFolderCount, {&outcome.LeftFolders});
    }
    if (run.ClipboardNames) {
        const int length = lstrlenW(text);
        lstrcpynW(text + length, L"\n", kMessageRoom - length);
        const CountText missing(static_cast<int>(run.ClipboardNames->NotFound()));
        AppendText(text, IDS_NAMES_NOT_FOUND, {missing.Text});
    }
    ShowText(owner, text, ModuleInstance, IDS_CAPTION_RESULT, MB_OK);
}

// A clipboard action tells nothing when every match went; otherwise how many went and which
// did not, also when none went and the clipboard kept what it had.
void ShowClipboardResult(HWND owner, RunRecord& run, ClipboardResult result) {
    if (result == ClipboardResult::Busy) {
        ShowMessage(owner, ModuleInstance, IDS_CLIPBOARD_BUSY, IDS_CAPTION_ERROR, MB_OK);
        return;
    }
    if (run.UncollectedCount == 0 || result == ClipboardResult::NoMemory)
        return;
    int put = 0;
    for (const wchar_t* path = run.SelectedPaths.GetFirst(); path != nullptr;
         path = run.SelectedPaths.GetNext())
        ++put;
    const CountText count(put);
    const CountText left(run.UncollectedCount);
    wchar_t text[kMessageRoom] = {};
    AppendText(text,
               run.Action == ClipboardCopy ? IDS_CLIPBOARD_COPY_INCOMPLETE
                                           : IDS_CLIPBOARD_CUT_INCOMPLETE,
               {count.Text, left.Text});
    AppendNames(text, run.UncollectedCount, {&run.UncollectedMatches});
    ShowText(owner, text, ModuleInstance, IDS_CAPTION_RESULT, MB_OK);
}

} // namespace

void RunChosenAction(RunRecord& run, HWND owner) {
    switch (run.Action) {
    case ClipboardCopy:
    case ClipboardCut:
        GuardSelectedPaths(run);
        ShowClipboardResult(owner, run, PutFilesOnClipboard(run, GetDesktopWindow()));
        break;
    case CopyToFolder:
    case MoveToFolder: {
        wchar_t folder[MAX_PATH];
        if (!AskTargetFolder(run, owner, folder))
            break;
        GuardSelectedPaths(run);
        TransferOutcome outcome;
        TransferToFolder(run, folder, owner, outcome);
        ShowTransferResult(owner, run, outcome);
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
