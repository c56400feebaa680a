#include "shellext/explorer_window.h"

namespace {

HWND ChildOfClass(HWND parent, const char* className) {
    if (parent == nullptr)
        return nullptr;
    return FindWindowExA(parent, nullptr, className, nullptr);
}

// The window whose direct child is the list view, or null when a layout is only partly
// there. A layout is recognised by its first window alone; once recognised, a missing
// level below it means the list view cannot be reached, even if the folder view itself
// happens to hold a list view.
HWND ListViewParent(HWND folderView) {
    if (HWND web = ChildOfClass(folderView, "Internet Explorer_Server"))
        return ChildOfClass(web, "ATL Shell Embedding");
    if (HWND dui = ChildOfClass(folderView, "DUIViewWndClassName"))
        return ChildOfClass(ChildOfClass(dui, "DirectUIHWND"), "CtrlNotifySink");
    return folderView;
}

} // namespace

ExplorerListView FindExplorerListView(HWND explorerWindow) {
    ExplorerListView found;
    HWND folderView = ChildOfClass(explorerWindow, "SHELLDLL_DefView");
    if (folderView == nullptr) {
        found.Result = ExplorerListView::NoFolderView;
        return found;
    }
    found.ListView = ChildOfClass(ListViewParent(folderView), "SysListView32");
    found.Result =
        found.ListView != nullptr ? ExplorerListView::Found : ExplorerListView::NoListView;
    return found;
}
