#include "engine/selection_pass.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "common/path_join.h"
#include "engine/compiled_pattern_line.h"
#include "engine/item_names.h"
#include "engine/path_collection.h"
#include "text/case_fold.h"

namespace {

// What one pass works with, on the heap: the compiled line is about 34 KB, too much for the
// stack of a shell thread on top of the dialog's and the matcher's own. The list view is a
// window of the calling process, so the item record needs no name and no sharing: no other
// process can reach it.
struct PassMemory {
    CompiledPatternLine Line;
    LVITEMW Item;
    ItemReading Reading;
};

// False when the list view refused the change.
bool WriteSelection(HWND listView, PassMemory& memory, int index, bool selected) {
    LVITEMW& item = memory.Item;
    item = LVITEMW{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    return SendMessageW(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&item)) != 0;
}

// The list view's labels, counted once before the walk by a hash of their units as names
// compare (text/case_fold.h), so that telling whether a label is unique costs the same on
// 100,000 items as on ten. Labels that share a hash count as one label shown twice: a
// collision leaves an item out, never takes it for another. Without the table (no memory, a
// label that cannot be read) no label is unique.
class LabelCounts {
public:
    void Count(HWND listView, int count, ItemReading& reading) {
        if (count > (1 << 26))
            return;
        std::uint32_t size = 16;
        while (size / 2 < static_cast<std::uint32_t>(count))
            size *= 2;
        slots_.reset(new (std::nothrow) std::uint32_t[size]());
        mask_ = size - 1;
        for (int index = 0; slots_ && index < count; ++index) {
            if (!ReadListItem(listView, index, reading)) {
                slots_.reset();
                break;
            }
            const std::uint32_t key = Key(reading.Shown);
            std::uint32_t& slot = SlotOf(key);
            slot = slot == 0 ? key : slot | 1;
        }
    }
    bool Unique(const wchar_t* label) const {
        if (!slots_)
            return false;
        const std::uint32_t slot = SlotOf(Key(label));
        return slot != 0 && (slot & 1) == 0;
    }

private:
    // The label's hash, its lowest bit the mark of a label counted twice; never 0, which marks
    // an empty slot.
    static std::uint32_t Key(const wchar_t* label) {
        std::uint32_t hash = kFoldedHashStart;
        for (; *label != L'\0'; ++label)
            hash = MixFolded(hash, Folded(*label));
        return (hash & ~1u) | 2;
    }
    std::uint32_t& SlotOf(std::uint32_t key) const {
        std::uint32_t s = (key >> 2) & mask_;
        while (slots_[s] != 0 && (slots_[s] & ~1u) != key)
            s = (s + 1) & mask_;
        return slots_[s];
    }

    std::unique_ptr<std::uint32_t[]> slots_;
    std::uint32_t mask_ = 0;
};

// Every item once, in index order, as it stands now: its label and selection state read in one
// message, its selection written only when the run's combining of matches and selection
// changes it, and its path collected when it is selected at the end.
void SelectAndCollect(RunRecord& run, HWND listView, PassMemory& memory,
                      const ItemMatcher& matcher) {
    const bool needsPaths = run.Action != SelectOnly;
    // Stops collecting for the rest of the pass once a copy cannot be stored, so
    // PathBytesTotal always describes the list.
    bool collecting = needsPaths;
    const int count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    ItemReading& reading = memory.Reading;
    // Adding or taking away, an item kept selected that the line does not select is collected
    // only where its label is unique (below).
    LabelCounts labels;
    if (needsPaths && run.Combine != ReplaceSelection)
        labels.Count(listView, count, reading);
    for (int index = 0; index < count; ++index) {
        UINT state = 0;
        const bool readable = ReadListItem(listView, index, reading, &state);
        const bool match = readable && Selects(matcher, reading);
        if (!readable) {
            // Replacing, an item that cannot be read is deselected, whatever its state; adding
            // or taking away, it is left as it is.
            if (run.Combine == ReplaceSelection)
                WriteSelection(listView, memory, index, false);
            continue;
        }
        const bool was = state != 0;
        bool wanted = match;
        if (run.Combine == AddToSelection)
            wanted = match || was;
        else if (run.Combine == RemoveFromSelection)
            wanted = was && !match;
        bool selected = was;
        if (wanted != was && WriteSelection(listView, memory, index, wanted))
            selected = wanted;
        if (!selected)
            continue;
        // A label is the file's name only as far as it is unique: an item kept selected though
        // the line does not select it could share its label with a file that nobody selected
        // (notes.txt shown as "notes" beside notes), and is left out rather than risk that one.
        bool collected = false;
        wchar_t path[MAX_PATH];
        if (collecting && (match || labels.Unique(reading.Shown)) &&
            JoinPath(path, run.SourceFolder, reading.Shown)) {
            collected = CollectPath(run, path);
            collecting = collected;
        }
        if (needsPaths && !collected) {
            run.UncollectedMatches.Append(reading.Shown);
            ++run.UncollectedCount;
        }
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
    run.UncollectedMatches.Clear();
    run.UncollectedCount = 0;
    std::unique_ptr<PassMemory> memory(new (std::nothrow) PassMemory);
    if (!memory)
        return;
    memory->Line.Compile(run.PatternLine);
    const ItemMatcher matcher = MatcherOf(run, memory->Line);
    // Each change that the list view draws on its own costs an invalidation (a round trip to
    // the window server under Wine), off screen too; drawing is held back for the walk, and
    // the items in view are repainted once after it.
    SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
    SelectAndCollect(run, listView, *memory, matcher);
    SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
    Repaint(listView);
}
