// The names of a folder window's items, read once for a run: a little at a time while the
// selection dialog counts the line's matches, the rest when the pass needs them; the pass then
// decides by what was read instead of reading every name again.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "common/owned.h"
#include "engine/compiled_pattern_line.h"

// One character more than a path may have, so that a longer name shows as too long instead
// of being cut into the name of another file.
constexpr int kItemNameRoom = MAX_PATH + 1;

// The item's display name of the given kind; false, with name empty, when it cannot be read.
bool ReadItemName(IShellFolder* folder, PCUITEMID_CHILD child, SHGDNF flags,
                  wchar_t (&name)[kItemNameRoom]);
// Whether the item is one of the file system.
bool InFileSystem(IShellFolder* folder, PCUITEMID_CHILD child);

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
    // Whether the window still holds as many items as when the reading started.
    bool CountUnchanged() const;

    // Whether the line selects item index (one of those read): by its shown name or, where
    // there is one, its file name.
    bool Matches(const CompiledPatternLine& line, int index) const;
    // The item's shown name (a list view's label); empty for an item without one.
    const wchar_t* Shown(int index) const;

private:
    struct Entry {
        int Shown; // offsets in text_, or -1
        int File;
    };
    bool Begin(int count);
    int Store(const wchar_t* name);
    void ReadViewItem(int index);
    void ReadListItem(int index);

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
