// The names of a folder window's items: one item's, read together, and the whole window's, read a
// little at a time while the selection dialog counts the line's matches. The count may lag
// behind a folder that changes while the dialog is open; the pass reads every item again as it
// stands, so that what is selected and acted on never does.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "common/owned.h"
#include "engine/compiled_pattern_line.h"
#include "engine/run_record.h"

// One character more than a path may have, so that a longer name shows as too long instead
// of being cut into the name of another file.
constexpr int kItemNameRoom = MAX_PATH + 1;

// The item's display name of the given kind; false, with name empty, when it cannot be read.
bool ReadItemName(IShellFolder* folder, PCUITEMID_CHILD child, SHGDNF flags,
                  wchar_t (&name)[kItemNameRoom]);
// Whether the item is one of the file system.
bool InFileSystem(IShellFolder* folder, PCUITEMID_CHILD child);

// The names one item of a window is known by. The line decides on both together: an item
// shown as "notes" is the file notes.txt, which "| *.txt" leaves out.
struct ItemReading {
    // The name the window shows (SHGDN_INFOLDER, a list view's label); empty when unreadable.
    wchar_t Shown[kItemNameRoom];
    // For an item of the file system whose file name differs from the shown one (a hidden
    // extension, a localized folder name): that name; else empty.
    wchar_t File[kItemNameRoom];
    bool FileSystem;
};

// Reads the names of one of the folder's items.
void ReadViewItem(IShellFolder* folder, PCUITEMID_CHILD child, ItemReading& reading);
// Reads a list view item's label into reading.Shown and, where state is given, its selection
// state; false when the list view does not answer for the index.
bool ReadListItem(HWND listView, int index, ItemReading& reading, UINT* state = nullptr);
// What decides whether an item is selected: the compiled line or, standing in for it, the
// names from the clipboard, which note each name that matched.
struct ItemMatcher {
    const CompiledPatternLine* Line = nullptr;
    NameList* Names = nullptr;
    bool Matches(const Utf16Char* shown, std::size_t shownLength, const Utf16Char* file,
                 std::size_t fileLength) const;
};
// The run's matcher: its clipboard names where it has them, else the line.
ItemMatcher MatcherOf(const RunRecord& run, const CompiledPatternLine& line);
// Whether the matcher selects the item: by its shown name or its file name, the dot rule
// judged on the file name.
bool Selects(const ItemMatcher& matcher, const ItemReading& reading);
// The name that tells the user which item is meant: the file name, where the shown one
// differs from it.
const wchar_t* RealName(const ItemReading& reading);

class ItemNames {
public:
    ItemNames() = default;
    ItemNames(const ItemNames&) = delete;
    ItemNames& operator=(const ItemNames&) = delete;

    // The items of the shell's folder view: each item's shown name (SHGDN_INFOLDER) and, for
    // an item of the file system whose shown name differs (a hidden extension, a localized
    // folder name), its file name (SHGDN_INFOLDER | SHGDN_FORPARSING). False when the view's
    // folder cannot be had.
    bool Start(IFolderView* view);
    // The items of a list view: each item's label.
    bool Start(HWND listView);

    // Items the window held when the reading started, and of those, the ones read so far.
    int Count() const { return count_; }
    int Read() const { return read_; }
    bool Complete() const { return read_ == count_; }
    // Reads up to limit more items. An item whose name cannot be read, or whose name finds no
    // memory, is read as having no name.
    void ReadMore(int limit);

    // Whether the matcher selects item index (one of those read), as Selects decides.
    bool Matches(const ItemMatcher& matcher, int index) const;

private:
    struct Entry {
        int Shown; // offsets in text_, or -1
        int File;
    };
    bool Begin(int count);
    int Store(const wchar_t* name);
    void ReadItem(int index);

    ComPtr<IFolderView> view_;
    ComPtr<IShellFolder> folder_;
    HWND listView_ = nullptr;
    int count_ = 0;
    int read_ = 0;
    std::unique_ptr<Entry[]> entries_;
    std::unique_ptr<wchar_t[]> text_;
    int textUsed_ = 0;
    int textRoom_ = 0;
};
