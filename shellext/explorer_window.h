// Finds the list view that shows the items of an Explorer folder window.
#pragma once

#include <windows.h>

struct ExplorerListView {
    enum Outcome {
        Found,
        // The window holds no folder view ("SHELLDLL_DefView"): not a folder window at all.
        NoFolderView,
        // A folder view whose list view could not be reached through any known layout.
        NoListView,
    };
    Outcome Result = NoFolderView;
    // The list view when Result is Found, else null.
    HWND ListView = nullptr;
};

// Walks down from the invoking window through the folder view to its "SysListView32".
// Three layouts are known, tried in this order below the folder view:
//   "Internet Explorer_Server" -> "ATL Shell Embedding" -> list view (web view)
//   "DUIViewWndClassName" -> "DirectUIHWND" -> "CtrlNotifySink" -> list view
//   the list view as the folder view's own child.
// Each step takes the first direct child of the class.
ExplorerListView FindExplorerListView(HWND explorerWindow);
