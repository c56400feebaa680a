#include "shellext/select_command.h"

#include <cstring>
#include <cwchar>

#include "common/file_facts.h"
#include "common/message_box.h"
#include "engine/item_names.h"
#include "engine/pattern_line.h"
#include "engine/selection_pass.h"
#include "engine/view_pass.h"
#include "shellext/command_actions.h"
#include "shellext/explorer_window.h"
#include "shellext/folder_view.h"
#include "shellext/module_state.h"
#include "shellext/resource.h"
#include "shellext/selection_dialog.h"
#include "shellext/settings_store.h"

namespace {

// The dialog, then the pass through the view when there is one, else the list view's, then
// the chosen action.
void RunPass(HWND owner, IFolderView* view, HWND listView, const CommandStart& start) {
    RunRecord run;
    std::memcpy(run.DefaultPattern, start.DefaultPattern, sizeof run.DefaultPattern);
    std::memcpy(run.SourceFolder, start.SourceFolder, sizeof run.SourceFolder);
    LoadSettings(run);
    // The window's names, read while the dialog counts the matches; the pass reads the items
    // again as they stand at OK.
    ItemNames names;
    if (view != nullptr ? names.Start(view) : names.Start(listView))
        run.Names = &names;
    if (ShowSelectionDialog(run, owner) != IDOK)
        return;
    SaveSettings(run);
    HWND passWindow = listView;
    if (view != nullptr) {
        passWindow = RunViewSelection(run, view);
    } else {
        RunSelection(run, listView);
    }
    RunChosenAction(run, passWindow);
    if (passWindow != nullptr)
        SetFocus(passWindow);
}

} // namespace

void StartFromItem(const wchar_t* firstItem, CommandStart& start) {
    start = CommandStart();
    const size_t length = wcslen(firstItem);
    if (length == 0 || length >= MAX_PATH)
        return;
    // The path has at most MAX_PATH - 1 characters, so the pattern fits its field. A folder's
    // name has no extension to offer as a pattern.
    if (!IsFolder(firstItem))
        MakeExtensionPattern(start.DefaultPattern, firstItem);
    // The folder is cut from the UTF-16 path, where a backslash is always a separator.
    std::memcpy(start.SourceFolder, firstItem, (length + 1) * sizeof(wchar_t));
    wchar_t* lastBackslash = wcsrchr(start.SourceFolder, L'\\');
    if (lastBackslash != nullptr)
        *lastBackslash = L'\0';
}

void StartFromFolder(const wchar_t* folder, CommandStart& start) {
    start = CommandStart();
    const size_t length = wcslen(folder);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::memcpy(start.SourceFolder, folder, (length + 1) * sizeof(wchar_t));
    start.DefaultPattern[0] = L'*';
}

// A view reached through the site or the window runs the whole pass, whatever windows show
// its items. A view that shows another folder ends the command: the window's list view would
// show that folder's items too, and their labels put behind this folder's path name files the
// user never saw. Only when no view can be reached at all are the window classes searched for
// a list view.
void RunSelectCommand(IUnknown* site, HWND owner, const CommandStart& start) {
    const FoundFolderView found = FindFolderView(site, owner, start.SourceFolder);
    if (found.View) {
        RunPass(owner, found.View.Get(), nullptr, start);
        return;
    }
    if (found.OtherFolderShown) {
        ShowMessage(owner, ModuleInstance, IDS_OTHER_FOLDER_SHOWN, IDS_CAPTION_ERROR, MB_OK);
        return;
    }
    const ExplorerListView listView = FindExplorerListView(owner);
    if (listView.Result == ExplorerListView::NoFolderView)
        return;
    if (listView.Result == ExplorerListView::NoListView) {
        ShowMessage(owner, ModuleInstance, IDS_NO_EXPLORER_WINDOW, IDS_CAPTION_ERROR, MB_OK);
        return;
    }
    RunPass(owner, nullptr, listView.ListView, start);
}
