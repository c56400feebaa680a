#include "engine/view_pass.h"

#include <cwchar>
#include <memory>
#include <new>

#include "common/owned.h"
#include "engine/compiled_pattern_line.h"
#include "engine/item_names.h"
#include "engine/path_collection.h"

namespace {

// Collects the item's real path. False once a path that fits could not be stored: the
// pass then collects no more, so PathBytesTotal always describes the list.
bool CollectRealPath(RunRecord& run, IShellFolder* folder, PCUITEMID_CHILD child) {
    wchar_t path[kItemNameRoom];
    if (!InFileSystem(folder, child) || !ReadItemName(folder, child, SHGDN_FORPARSING, path) ||
        wcsnlen(path, kItemNameRoom) >= MAX_PATH)
        return true;
    return CollectPath(run, path);
}

// Holds off the view's repaint for as long as it lives, where the view offers that.
class RedrawHeld {
public:
    explicit RedrawHeld(IFolderView* view) {
        QueryInto(view, IID_IFolderView2, view_);
        if (view_)
            view_->SetRedraw(FALSE);
    }
    ~RedrawHeld() {
        if (view_)
            view_->SetRedraw(TRUE);
    }
    RedrawHeld(const RedrawHeld&) = delete;
    RedrawHeld& operator=(const RedrawHeld&) = delete;

private:
    ComPtr<IFolderView2> view_;
};

void SelectAndCollect(RunRecord& run, const CompiledPatternLine& line, IFolderView* view,
                      IShellFolder* folder, const ItemNames& names) {
    bool collecting = run.Action != SelectOnly;
    int focused = -1;
    if (FAILED(view->GetFocusedItem(&focused)))
        focused = -1;
    int firstMatch = -1;
    bool focusedMatches = false;
    RedrawHeld redraw(view);
    for (int index = 0; index < names.Count(); ++index) {
        const bool match = names.Matches(line, index);
        view->SelectItem(index, match ? SVSI_SELECT : SVSI_DESELECT);
        if (!match)
            continue;
        if (firstMatch < 0)
            firstMatch = index;
        focusedMatches = focusedMatches || index == focused;
        TaskMemory<PITEMID_CHILD> child;
        if (collecting && SUCCEEDED(view->Item(index, child.Put())) && child.Valid())
            collecting = CollectRealPath(run, folder, child.Get());
    }
    if (firstMatch >= 0 && !focusedMatches)
        view->SelectItem(firstMatch, SVSI_SELECT | SVSI_FOCUSED | SVSI_ENSUREVISIBLE);
}

HWND WindowOf(IFolderView* view) {
    ComPtr<IShellView> shellView;
    HWND window = nullptr;
    if (FAILED(QueryInto(view, IID_IShellView, shellView)) || FAILED(shellView->GetWindow(&window)))
        window = nullptr;
    return window;
}

} // namespace

HWND RunViewSelection(RunRecord& run, IFolderView* view, ItemNames& names) {
    run.PathBytesTotal = 0;
    run.SelectedPaths.Clear();
    // Names read from a view that has changed since would name other items.
    if (!names.CountUnchanged() && !names.Start(view))
        return nullptr;
    names.ReadMore(names.Count());
    ComPtr<IShellFolder> folder;
    if (FAILED(view->GetFolder(IID_IShellFolder, folder.PutVoid())) || !folder)
        return nullptr;
    // About 34 KB: too much for the stack of a shell thread on top of the dialog's.
    std::unique_ptr<CompiledPatternLine> line(new (std::nothrow) CompiledPatternLine);
    if (!line)
        return nullptr;
    line->Compile(run.PatternLine);
    SelectAndCollect(run, *line, view, folder.Get(), names);
    return WindowOf(view);
}
