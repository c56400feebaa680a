#include "engine/item_names.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <utility>

bool ReadItemName(IShellFolder* folder, PCUITEMID_CHILD child, SHGDNF flags,
                  wchar_t (&name)[kItemNameRoom]) {
    STRRET text = {};
    name[0] = L'\0';
    if (SUCCEEDED(folder->GetDisplayNameOf(child, flags, &text)) &&
        SUCCEEDED(StrRetToBufW(&text, child, name, kItemNameRoom)))
        return true;
    name[0] = L'\0';
    return false;
}

bool InFileSystem(IShellFolder* folder, PCUITEMID_CHILD child) {
    SFGAOF attributes = SFGAO_FILESYSTEM;
    return SUCCEEDED(folder->GetAttributesOf(1, &child, &attributes)) &&
           (attributes & SFGAO_FILESYSTEM) != 0;
}

void ReadViewItem(IShellFolder* folder, PCUITEMID_CHILD child, ItemReading& reading) {
    reading.File[0] = L'\0';
    ReadItemName(folder, child, SHGDN_INFOLDER, reading.Shown);
    reading.FileSystem = InFileSystem(folder, child);
    if (reading.FileSystem &&
        ReadItemName(folder, child, SHGDN_INFOLDER | SHGDN_FORPARSING, reading.File) &&
        std::wcscmp(reading.File, reading.Shown) == 0)
        reading.File[0] = L'\0';
}

// A list view may answer with a pointer to text of its own instead of filling the buffer;
// that text is taken, cut to the buffer.
bool ReadListItem(HWND listView, int index, ItemReading& reading, UINT* state) {
    wchar_t* const label = reading.Shown;
    label[0] = L'\0';
    reading.File[0] = L'\0';
    reading.FileSystem = true;
    LVITEMW item = {};
    item.mask = LVIF_TEXT | (state != nullptr ? LVIF_STATE : 0);
    item.stateMask = LVIS_SELECTED;
    item.iItem = index;
    item.cchTextMax = kItemNameRoom;
    item.pszText = label;
    if (!SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        label[0] = L'\0';
        return false;
    }
    const wchar_t* answered = item.pszText;
    if (answered != label && answered != nullptr && answered != LPSTR_TEXTCALLBACKW)
        lstrcpynW(label, answered, kItemNameRoom);
    label[kItemNameRoom - 1] = L'\0';
    if (state != nullptr)
        *state = item.state & LVIS_SELECTED;
    return true;
}

bool ItemMatcher::Matches(const Utf16Char* shown, std::size_t shownLength, const Utf16Char* file,
                          std::size_t fileLength) const {
    if (Names != nullptr)
        return Names->MatchesItem(shown, shownLength, file, fileLength);
    return Line != nullptr && Line->MatchesItem(shown, shownLength, file, fileLength);
}

ItemMatcher MatcherOf(const RunRecord& run, const CompiledPatternLine& line) {
    ItemMatcher matcher;
    matcher.Line = &line;
    matcher.Names = run.ClipboardNames.get();
    return matcher;
}

bool Selects(const ItemMatcher& matcher, const ItemReading& reading) {
    const Utf16Char* file = reading.File[0] != L'\0' ? reading.File : nullptr;
    return matcher.Matches(reading.Shown, wcslen(reading.Shown), file,
                           file != nullptr ? wcslen(file) : 0);
}

const wchar_t* RealName(const ItemReading& reading) {
    return reading.File[0] != L'\0' ? reading.File : reading.Shown;
}

bool ItemNames::Start(IFolderView* view) {
    view_ = ComPtr<IFolderView>::Share(view);
    int count = 0;
    if (FAILED(view->GetFolder(IID_IShellFolder, folder_.PutVoid())) || !folder_ ||
        FAILED(view->ItemCount(SVGIO_ALLVIEW, &count)))
        return false;
    return Begin(count);
}

bool ItemNames::Start(HWND listView) {
    listView_ = listView;
    return Begin(static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0)));
}

bool ItemNames::Begin(int count) {
    count_ = 0;
    read_ = 0;
    textUsed_ = 0;
    if (count <= 0)
        return true;
    entries_.reset(new (std::nothrow) Entry[count]);
    if (!entries_)
        return false;
    count_ = count;
    return true;
}

// Keeps the name behind the names before it, the room doubled when it runs out; -1 when
// there is no room to be had.
int ItemNames::Store(const wchar_t* name) {
    const int length = static_cast<int>(wcslen(name));
    if (textUsed_ + length + 1 > textRoom_) {
        const int room = (textRoom_ + length + 1) * 2;
        std::unique_ptr<wchar_t[]> grown(new (std::nothrow) wchar_t[room]);
        if (!grown)
            return -1;
        if (textUsed_ > 0)
            std::memcpy(grown.get(), text_.get(), textUsed_ * sizeof(wchar_t));
        text_ = std::move(grown);
        textRoom_ = room;
    }
    std::memcpy(text_.get() + textUsed_, name, (length + 1) * sizeof(wchar_t));
    const int at = textUsed_;
    textUsed_ += length + 1;
    return at;
}

void ItemNames::ReadItem(int index) {
    Entry& entry = entries_[index];
    entry = Entry{-1, -1};
    ItemReading reading;
    if (listView_ != nullptr) {
        if (!ReadListItem(listView_, index, reading))
            return;
    } else {
        TaskMemory<PITEMID_CHILD> child;
        if (FAILED(view_->Item(index, child.Put())) || !child.Valid())
            return;
        ReadViewItem(folder_.Get(), child.Get(), reading);
    }
    entry.Shown = Store(reading.Shown);
    if (reading.File[0] != L'\0')
        entry.File = Store(reading.File);
}

void ItemNames::ReadMore(int limit) {
    for (; read_ < count_ && limit > 0; ++read_, --limit)
        ReadItem(read_);
}

bool ItemNames::Matches(const ItemMatcher& matcher, int index) const {
    const Entry& entry = entries_[index];
    const Utf16Char* shown = entry.Shown >= 0 ? text_.get() + entry.Shown : L"";
    const Utf16Char* file = entry.File >= 0 ? text_.get() + entry.File : nullptr;
    return matcher.Matches(shown, wcslen(shown), file, file != nullptr ? wcslen(file) : 0);
}
