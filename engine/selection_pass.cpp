#include "engine/selection_pass.h"

#include <commctrl.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <new>

#include "common/code_page_932.h"
#include "engine/chosen_action.h"
#include "engine/path_collection.h"
#include "engine/pattern_line.h"

const char kSelectionPageName[] = "MyMap";

namespace {

constexpr DWORD kPageSize = 4096;
constexpr std::size_t kTextBufferSize = MAX_PATH;
// The item record stands right behind the text buffer, at the record's natural alignment.
constexpr std::size_t kItemOffset = (kTextBufferSize * sizeof(wchar_t) + alignof(LVITEMW) - 1) /
                                    alignof(LVITEMW) * alignof(LVITEMW);
static_assert(kItemOffset + sizeof(LVITEMW) <= kPageSize, "the item record fits the page");

// The shared page with its text buffer and item record, open for one pass.
class ItemPage {
public:
    ItemPage() {
        mapping_ = CreateMapping(kSelectionPageName);
        if (mapping_ == nullptr)
            return;
        view_ = static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    ~ItemPage() {
        if (view_ != nullptr)
            UnmapViewOfFile(view_);
        if (mapping_ != nullptr)
            CloseHandle(mapping_);
    }
    ItemPage(const ItemPage&) = delete;
    ItemPage& operator=(const ItemPage&) = delete;

    bool Usable() const { return view_ != nullptr; }
    wchar_t* Text() const { return reinterpret_cast<wchar_t*>(view_); }
    LVITEMW* Item() const { return reinterpret_cast<LVITEMW*>(view_ + kItemOffset); }

private:
    // A page of this pass alone. When the name is already taken (another pass, perhaps in
    // another process, is running, or some other object bears the name), sharing it would
    // let the two passes overwrite each other's item record, so an unnamed page is used.
    static HANDLE CreateMapping(const char* name) {
        SetLastError(ERROR_SUCCESS);
        HANDLE mapping =
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kPageSize, name);
        if (mapping != nullptr && GetLastError() != ERROR_ALREADY_EXISTS)
            return mapping;
        if (mapping != nullptr)
            CloseHandle(mapping);
        return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kPageSize,
                                  nullptr);
    }

    HANDLE mapping_ = nullptr;
    char* view_ = nullptr;
};

// Reads item index's label into the page's text buffer and returns it. A read that fails
// leaves the label empty rather than the previous item's. A list view may answer with a
// pointer to text of its own instead of filling the buffer; that text is taken, cut to the
// buffer.
const wchar_t* ReadLabel(HWND listView, const ItemPage& page, int index) {
    wchar_t* text = page.Text();
    LVITEMW* item = page.Item();
    item->mask = LVIF_TEXT;
    item->iItem = index;
    item->iSubItem = 0;
    item->cchTextMax = kTextBufferSize;
    item->pszText = text;
    text[0] = L'\0';
    SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item));
    const wchar_t* answered = item->pszText;
    if (answered != text && answered != nullptr && answered != LPSTR_TEXTCALLBACKW) {
        std::size_t length = 0;
        while (length < kTextBufferSize - 1 && answered[length] != L'\0')
            ++length;
        std::memmove(text, answered, length * sizeof(wchar_t));
        text[length] = L'\0';
    }
    text[kTextBufferSize - 1] = L'\0';
    return text;
}

// Appends SourceFolder + "\" + label to SelectedPaths. Stops collecting for the rest of
// the pass once a copy cannot be stored, so PathBytesTotal always describes the list.
class PathCollector {
public:
    explicit PathCollector(RunRecord& run)
        : run_(run), active_(run.Action != SelectOnly && run.SelectedPaths != nullptr),
          folderLength_(wcsnlen(run.SourceFolder, MAX_PATH - 1)) {}

    void Collect(const wchar_t* label) {
        if (!active_)
            return;
        const std::size_t labelLength = wcslen(label);
        if (folderLength_ + 1 + labelLength >= MAX_PATH)
            return;
        wchar_t path[MAX_PATH];
        std::memcpy(path, run_.SourceFolder, folderLength_ * sizeof(wchar_t));
        path[folderLength_] = L'\\';
        std::memcpy(path + folderLength_ + 1, label, (labelLength + 1) * sizeof(wchar_t));
        if (!CollectPath(run_, path))
            active_ = false;
    }

private:
    RunRecord& run_;
    bool active_;
    std::size_t folderLength_;
};

void SelectAndCollect(RunRecord& run, HWND listView, const ItemPage& page) {
    PathCollector collector(run);
    LVITEMW* item = page.Item();
    int index = -1;
    for (;;) {
        const int next = static_cast<int>(
            SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_ALL));
        // A list view hands out rising indexes; anything else would never end the walk.
        if (next < 0 || next <= index)
            break;
        index = next;
        const wchar_t* label = ReadLabel(listView, page, index);
        // Matched on the label's code page 932 form, cut to a name's room when longer.
        char name[MAX_PATH];
        WideToCp932(label, -1, name, sizeof name);
        item->mask = LVIF_STATE;
        const bool match = MatchPatternLine(run.PatternLine, name) != 0;
        item->state = match ? LVIS_SELECTED : 0;
        if (match)
            collector.Collect(label);
        item->stateMask = LVIS_SELECTED;
        SendMessageW(listView, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(item));
    }
}

// Repaints the items that can be seen, from the top one to the one below the last full row.
// Items out of view are painted when they scroll in anyway, and asking for every item costs
// one invalidation each (a round trip to the window server under Wine): on a folder of
// 100,000 items that alone took longer than the rest of the pass. In the icon views the
// list view counts every item as on the page, so all of them are repainted there.
void Repaint(HWND listView) {
    const int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    int top = static_cast<int>(SendMessageA(listView, LVM_GETTOPINDEX, 0, 0));
    if (top < 0 || top >= count)
        top = 0;
    const int perPage = static_cast<int>(SendMessageA(listView, LVM_GETCOUNTPERPAGE, 0, 0));
    int last = count - 1;
    if (perPage > 0 && perPage < last - top)
        last = top + perPage;
    SendMessageA(listView, LVM_REDRAWITEMS, static_cast<WPARAM>(top), static_cast<LPARAM>(last));
    UpdateWindow(listView);
}

// Selects, collects and repaints through the shared page; false when no page could be
// created or mapped, in which case nothing was touched.
bool SelectThroughPage(RunRecord& run, HWND listView) {
    ItemPage page;
    if (!page.Usable())
        return false;
    SelectAndCollect(run, listView, page);
    Repaint(listView);
    return true;
}

} // namespace

void RunSelection(RunRecord& run, HWND listView) {
    run.PathBytesTotal = 0;
    run.SelectedPaths = new (std::nothrow) WideStringList;
    if (SelectThroughPage(run, listView)) {
        // Without a list of paths the actions have nothing sound to work on.
        if (run.SelectedPaths != nullptr)
            RunChosenAction(run, listView);
        SetFocus(listView);
    }
    delete run.SelectedPaths;
    run.SelectedPaths = nullptr;
}
