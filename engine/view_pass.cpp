#include "engine/view_pass.h"

#include <commctrl.h>

#include <cwchar>
#include <memory>
#include <new>

#include "common/owned.h"
#include "engine/compiled_pattern_line.h"
#include "engine/item_names.h"
#include "engine/path_collection.h"

namespace {

// The pass selected a match that no action can take; the action's result names it.
void NoteUncollected(RunRecord& run, const ItemReading& reading) {
    run.UncollectedMatches.Append(RealName(reading));
    ++run.UncollectedCount;
}

// Collects the item's real path, read from the same item as its names. False once a path that
// fits could not be stored: the pass then collects no more, so PathBytesTotal always
// describes the list.
bool CollectRealPath(RunRecord& run, IShellFolder* folder, PCUITEMID_CHILD child,
                     const ItemReading& reading, bool& collected) {
    wchar_t path[kItemNameRoom];
    collected = false;
    if (!reading.FileSystem || !ReadItemName(folder, child, SHGDN_FORPARSING, path) ||
        wcsnlen(path, kItemNameRoom) >= MAX_PATH)
        return true;
    collected = CollectPath(run, path);
    return collected;
}

// Holds off the view's repaint for as long as it lives, where the view offers that.
class RedrawHeld {
public:
    explicit RedrawHeld(IFolderView2* view) : view_(view) {
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
    IFolderView2* view_;
};

// Whether an item is selected before the pass changes it. The view tells where it can; Wine's
// view cannot, and its items are those of the list view inside its window, by the same index.
class SelectionBefore {
public:
    SelectionBefore(IFolderView2* view, HWND window) : view_(view) {
        if (window != nullptr)
            listView_ = FindWindowExW(window, nullptr, L"SysListView32", nullptr);
    }
    bool Selected(int index, PCUITEMID_CHILD child) const {
        DWORD flags = 0;
        if (view_ && SUCCEEDED(view_->GetSelectionState(child, &flags)))
            return (flags & SVSI_SELECT) != 0;
        return listView_ != nullptr && SendMessageW(listView_, LVM_GETITEMSTATE,
                                                    static_cast<WPARAM>(index), LVIS_SELECTED) != 0;
    }

private:
    IFolderView2* view_;
    HWND listView_ = nullptr;
};

// Every item once, as it stands now: its names and its path read from one item id, the item
// selected or deselected by its index as the run combines its matches with the selection, and
// its path collected when it is selected at the end.
void SelectAndCollect(RunRecord& run, const ItemMatcher& matcher, IFolderView* view,
                      IShellFolder* folder, HWND window) {
    const bool needsPaths = run.Action != SelectOnly;
    bool collecting = needsPaths;
    int count = 0;
    if (FAILED(view->ItemCount(SVGIO_ALLVIEW, &count)))
        return;
    int focused = -1;
    if (FAILED(view->GetFocusedItem(&focused)))
        focused = -1;
    int firstSelected = -1;
    bool focusedSelected = false;
    // Both borrow the view's IFolderView2, where it has one (Windows 7 and later).
    ComPtr<IFolderView2> view2;
    QueryInto(view, IID_IFolderView2, view2);
    const SelectionBefore before(view2.Get(), run.Combine != ReplaceSelection ? window : nullptr);
    RedrawHeld redraw(view2.Get());
    ItemReading reading;
    for (int index = 0; index < count; ++index) {
        TaskMemory<PITEMID_CHILD> child;
        const bool readable = SUCCEEDED(view->Item(index, child.Put())) && child.Valid();
        if (readable)
            ReadViewItem(folder, child.Get(), reading);
        const bool match = readable && Selects(matcher, reading);
        bool selected = match;
        if (run.Combine == ReplaceSelection) {
            selected =
                SUCCEEDED(view->SelectItem(index, match ? SVSI_SELECT : SVSI_DESELECT)) && match;
        } else if (readable) {
            // Only the matches change; an item that cannot be read keeps its state unread.
            const bool was = before.Selected(index, child.Get());
            const bool wanted = run.Combine == AddToSelection ? match || was : was && !match;
            selected = was;
            if (wanted != was &&
                SUCCEEDED(view->SelectItem(index, wanted ? SVSI_SELECT : SVSI_DESELECT)))
                selected = wanted;
        }
        if (!selected)
            continue;
        if (firstSelected < 0)
            firstSelected = index;
        focusedSelected = focusedSelected || index == focused;
        bool collected = false;
        if (collecting)
            collecting = CollectRealPath(run, folder, child.Get(), reading, collected);
        if (needsPaths && !collected)
            NoteUncollected(run, reading);
    }
    if (firstSelected >= 0 && !focusedSelected)
        view->SelectItem(firstSelected, SVSI_SELECT | SVSI_FOCUSED | SVSI_ENSUREVISIBLE);
}

HWND WindowOf(IFolderView* view) {
    ComPtr<IShellView> shellView;
    HWND window = nullptr;
    if (FAILED(QueryInto(view, IID_IShellView, shellView)) || FAILED(shellView->GetWindow(&window)))
        window = nullptr;
    return window;
}

} // namespace

HWND RunViewSelection(RunRecord& run, IFolderView* view) {
    run.PathBytesTotal = 0;
    run.SelectedPaths.Clear();
    run.UncollectedMatches.Clear();
    run.UncollectedCount = 0;
    ComPtr<IShellFolder> folder;
    if (FAILED(view->GetFolder(IID_IShellFolder, folder.PutVoid())) || !folder)
        return nullptr;
    // About 34 KB: too much for the stack of a shell thread on top of the dialog's.
    std::unique_ptr<CompiledPatternLine> line(new (std::nothrow) CompiledPatternLine);
    if (!line)
        return nullptr;
    line->Compile(run.PatternLine);
    const HWND window = WindowOf(view);
    SelectAndCollect(run, MatcherOf(run, *line), view, folder.Get(), window);
    return window;
}
