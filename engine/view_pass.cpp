#include "engine/view_pass.h"

#include <shlwapi.h>

#include <cwchar>
#include <memory>
#include <new>

#include "common/owned.h"
#include "engine/compiled_pattern_line.h"
#include "engine/path_collection.h"

namespace {

// One character more than a path may have, so that a longer one shows as too long instead
// of being cut into the path of another file.
constexpr int kNameRoom = MAX_PATH + 1;

bool ReadName(IShellFolder* folder, PCUITEMID_CHILD child, SHGDNF flags,
              wchar_t (&name)[kNameRoom]) {
    STRRET text = {};
    name[0] = L'\0';
    return SUCCEEDED(folder->GetDisplayNameOf(child, flags, &text)) &&
           SUCCEEDED(StrRetToBufW(&text, child, name, kNameRoom));
}

bool InFileSystem(IShellFolder* folder, PCUITEMID_CHILD child) {
    SFGAOF attributes = SFGAO_FILESYSTEM;
    return SUCCEEDED(folder->GetAttributesOf(1, &child, &attributes)) &&
           (attributes & SFGAO_FILESYSTEM) != 0;
}

bool NameMatches(const CompiledPatternLine& line, const wchar_t* name) {
    return line.Matches(name);
}

bool ItemMatches(const CompiledPatternLine& line, IShellFolder* folder, PCUITEMID_CHILD child) {
    wchar_t shown[kNameRoom];
    if (ReadName(folder, child, SHGDN_INFOLDER, shown) && NameMatches(line, shown))
        return true;
    wchar_t fileName[kNameRoom];
    return InFileSystem(folder, child) &&
           ReadName(folder, child, SHGDN_INFOLDER | SHGDN_FORPARSING, fileName) &&
           std::wcscmp(fileName, shown) != 0 && NameMatches(line, fileName);
}

// Collects the item's real path. False once a path that fits could not be stored: the
// pass then collects no more, so PathBytesTotal always describes the list.
bool CollectRealPath(RunRecord& run, IShellFolder* folder, PCUITEMID_CHILD child) {
    wchar_t path[kNameRoom];
    if (!InFileSystem(folder, child) || !ReadName(folder, child, SHGDN_FORPARSING, path) ||
        wcsnlen(path, kNameRoom) >= MAX_PATH)
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
                      IShellFolder* folder) {
    bool collecting = run.Action != SelectOnly;
    int count = 0;
    if (FAILED(view->ItemCount(SVGIO_ALLVIEW, &count)))
        count = 0;
    int focused = -1;
    if (FAILED(view->GetFocusedItem(&focused)))
        focused = -1;
    int firstMatch = -1;
    bool focusedMatches = false;
    RedrawHeld redraw(view);
    for (int index = 0; index < count; ++index) {
        TaskMemory<PITEMID_CHILD> child;
        if (FAILED(view->Item(index, child.Put())))
            child.Reset();
        const bool match = child.Valid() && ItemMatches(line, folder, child.Get());
        view->SelectItem(index, match ? SVSI_SELECT : SVSI_DESELECT);
        if (match) {
            if (firstMatch < 0)
                firstMatch = index;
            focusedMatches = focusedMatches || index == focused;
            if (collecting)
                collecting = CollectRealPath(run, folder, child.Get());
        }
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

HWND RunViewSelection(RunRecord& run, IFolderView* view) {
    run.PathBytesTotal = 0;
    run.SelectedPaths.Clear();
    ComPtr<IShellFolder> folder;
    if (FAILED(view->GetFolder(IID_IShellFolder, folder.PutVoid())) || !folder)
        return nullptr;
    // About 34 KB: too much for the stack of a shell thread on top of the dialog's.
    std::unique_ptr<CompiledPatternLine> line(new (std::nothrow) CompiledPatternLine);
    if (!line)
        return nullptr;
    line->Compile(run.PatternLine);
    SelectAndCollect(run, *line, view, folder.Get());
    return WindowOf(view);
}
