#include "engine/selection_pass.h"

#include <commctrl.h>

#include <cstddef>
#include <cstring>
#include <new>

#include "engine/clipboard_transfer.h"
#include "engine/folder_transfer.h"
#include "engine/pattern_line.h"

const char kSelectionPageName[] = "MyMap";

namespace {

constexpr DWORD kPageSize = 4096;
constexpr std::size_t kTextBufferSize = MAX_PATH;
// The item record stands right behind the text buffer, at the record's natural alignment
// (offset 260 on x86, 264 on x64, where the record holds pointers).
constexpr std::size_t kItemOffset =
    (kTextBufferSize + alignof(LVITEMA) - 1) / alignof(LVITEMA) * alignof(LVITEMA);
static_assert(kItemOffset + sizeof(LVITEMA) <= kPageSize, "the item record fits the page");

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
    char* Text() const { return view_; }
    LVITEMA* Item() const { return reinterpret_cast<LVITEMA*>(view_ + kItemOffset); }

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
const char* ReadLabel(HWND listView, const ItemPage& page, int index) {
    char* text = page.Text();
    LVITEMA* item = page.Item();
    item->mask = LVIF_TEXT;
    item->iItem = index;
    item->iSubItem = 0;
    item->cchTextMax = kTextBufferSize;
    item->pszText = text;
    text[0] = '\0';
    SendMessageA(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item));
    const char* answered = item->pszText;
    if (answered != text && answered != nullptr && answered != LPSTR_TEXTCALLBACKA) {
        std::size_t length = 0;
        while (length < kTextBufferSize - 1 && answered[length] != '\0')
            ++length;
        std::memmove(text, answered, length);
        text[length] = '\0';
    }
    text[kTextBufferSize - 1] = '\0';
    return text;
}

// Appends SourceFolder + "\" + label to SelectedPaths. Stops collecting for the rest of
// the pass once a copy cannot be stored, so PathBytesTotal always describes the list.
class PathCollector {
public:
    explicit PathCollector(RunRecord& run)
        : run_(run), active_(run.Action != SelectOnly && run.SelectedPaths != nullptr),
          folderLength_(strnlen(run.SourceFolder, sizeof run.SourceFolder)) {}

    void Collect(const char* label) {
        if (!active_)
            return;
        const std::size_t labelLength = std::strlen(label);
        const std::size_t length = folderLength_ + 1 + labelLength;
        if (length >= MAX_PATH)
            return;
        char path[MAX_PATH];
        std::memcpy(path, run_.SourceFolder, folderLength_);
        path[folderLength_] = '\\';
        std::memcpy(path + folderLength_ + 1, label, labelLength + 1);

        StringList& paths = *run_.SelectedPaths;
        StringListNode* const before = paths.Tail;
        paths.Append(path);
        if (paths.Tail == before || paths.Tail->Text == nullptr) {
            active_ = false;
            return;
        }
        run_.PathBytesTotal += static_cast<DWORD>(length + 1);
    }

private:
    RunRecord& run_;
    bool active_;
    std::size_t folderLength_;
};

void SelectAndCollect(RunRecord& run, HWND listView, const ItemPage& page) {
    PathCollector collector(run);
    LVITEMA* item = page.Item();
    int index = -1;
    for (;;) {
        const int next = static_cast<int>(
            SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_ALL));
        // A list view hands out rising indexes; anything else would never end the walk.
        if (next < 0 || next <= index)
            break;
        index = next;
        const char* label = ReadLabel(listView, page, index);
        item->mask = LVIF_STATE;
        const bool match = MatchPatternLine(run.PatternLine, label) != 0;
        item->state = match ? LVIS_SELECTED : 0;
        if (match)
            collector.Collect(label);
        item->stateMask = LVIS_SELECTED;
        SendMessageA(listView, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(item));
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

void RunAction(RunRecord& run, HWND listView) {
    switch (run.Action) {
    case ClipboardCopy:
    case ClipboardCut:
        PutFilesOnClipboard(run, GetDesktopWindow());
        break;
    case CopyToFolder:
    case MoveToFolder:
        CopyOrMoveToFolder(run, listView);
        break;
    default:
        break;
    }
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
    run.SelectedPaths = new (std::nothrow) StringList;
    if (SelectThroughPage(run, listView)) {
        // Without a list of paths the actions have nothing sound to work on.
        if (run.SelectedPaths != nullptr)
            RunAction(run, listView);
        SetFocus(listView);
    }
    delete run.SelectedPaths;
    run.SelectedPaths = nullptr;
}
