#include "engine/selection_pass.h"

#include <commctrl.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "engine/compiled_pattern_line.h"
#include "engine/path_collection.h"

namespace {

constexpr int kTextBufferSize = MAX_PATH;

// What one pass works with, on the heap: the compiled line is about 34 KB, too much for the
// stack of a shell thread on top of the dialog's and the matcher's own. The list view is a
// window of the calling process, so the item record and its text buffer need no name and
// no sharing: no other process can reach them.
struct PassMemory {
    CompiledPatternLine Line;
    LVITEMW Item;
    wchar_t Text[kTextBufferSize];
};

// Reads item index's label and selection state in one message. Returns the label, or an
// empty one when the read fails; selected is then unknown, which knownState tells. A list
// view may answer with a pointer to text of its own instead of filling the buffer; that
// text is taken, cut to the buffer.
const wchar_t* ReadItem(HWND listView, PassMemory& memory, int index, bool& selected,
                        bool& knownState) {
    wchar_t* text = memory.Text;
    LVITEMW& item = memory.Item;
    item = LVITEMW{};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = index;
    item.iSubItem = 0;
    item.stateMask = LVIS_SELECTED;
    item.cchTextMax = kTextBufferSize;
    item.pszText = text;
    text[0] = L'\0';
    knownState = SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
    selected = (item.state & LVIS_SELECTED) != 0;
    if (!knownState) {
        text[0] = L'\0';
        return text;
    }
    const wchar_t* answered = item.pszText;
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

void WriteSelection(HWND listView, PassMemory& memory, int index, bool selected) {
    LVITEMW& item = memory.Item;
    item = LVITEMW{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

// SourceFolder + "\" + label into path; false when it would have MAX_PATH characters or more.
bool FormLabelPath(const RunRecord& run, const wchar_t* label, wchar_t (&path)[MAX_PATH]) {
    const std::size_t folderLength = wcsnlen(run.SourceFolder, MAX_PATH - 1);
    const std::size_t labelLength = wcslen(label);
    if (folderLength + 1 + labelLength >= MAX_PATH)
        return false;
    std::memcpy(path, run.SourceFolder, folderLength * sizeof(wchar_t));
    path[folderLength] = L'\\';
    std::memcpy(path + folderLength + 1, label, (labelLength + 1) * sizeof(wchar_t));
    return true;
}

// Every item once, in index order: read, matched on the label as the list view holds it,
// written only when its selection changes, and its path collected when it matches.
void SelectAndCollect(RunRecord& run, HWND listView, PassMemory& memory) {
    // Stops collecting for the rest of the pass once a copy cannot be stored, so
    // PathBytesTotal always describes the list.
    bool collecting = run.Action != SelectOnly;
    int index = -1;
    for (;;) {
        const int next = static_cast<int>(
            SendMessageW(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_ALL));
        // A list view hands out rising indexes; anything else would never end the walk.
        if (next < 0 || next <= index)
            break;
        index = next;
        bool selected = false;
        bool knownState = false;
        const wchar_t* label = ReadItem(listView, memory, index, selected, knownState);
        const bool match = memory.Line.Matches(label);
        if (!knownState || match != selected)
            WriteSelection(listView, memory, index, match);
        wchar_t path[MAX_PATH];
        if (match && collecting && FormLabelPath(run, label, path))
            collecting = CollectPath(run, path);
    }
}

// Repaints the items that can be seen, from the top one to the one below the last full row.
// Items out of view are painted when they scroll in anyway, and asking for every item costs
// one invalidation each (a round trip to the window server under Wine): on a folder of
// 100,000 items that alone took longer than the rest of the pass. In the icon views the
// list view counts every item as on the page, so all of them are repainted there.
void Repaint(HWND listView) {
    const int count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    int top = static_cast<int>(SendMessageW(listView, LVM_GETTOPINDEX, 0, 0));
    if (top < 0 || top >= count)
        top = 0;
    const int perPage = static_cast<int>(SendMessageW(listView, LVM_GETCOUNTPERPAGE, 0, 0));
    int last = count - 1;
    if (perPage > 0 && perPage < last - top)
        last = top + perPage;
    SendMessageW(listView, LVM_REDRAWITEMS, static_cast<WPARAM>(top), static_cast<LPARAM>(last));
    UpdateWindow(listView);
}

} // namespace

void RunSelection(RunRecord& run, HWND listView) {
    run.PathBytesTotal = 0;
    run.SelectedPaths.Clear();
    std::unique_ptr<PassMemory> memory(new (std::nothrow) PassMemory);
    if (!memory)
        return;
    memory->Line.Compile(run.PatternLine);
    // Each change that the list view draws on its own costs an invalidation (a round trip to
    // the window server under Wine), off screen too; drawing is held back for the walk, and
    // the items in view are repainted once after it.
    SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
    SelectAndCollect(run, listView, *memory);
    SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
    Repaint(listView);
}
