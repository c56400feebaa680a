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

bool ItemNames::CountUnchanged() const {
    int count = 0;
    if (listView_ != nullptr)
        count = static_cast<int>(SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0));
    else if (!view_ || FAILED(view_->ItemCount(SVGIO_ALLVIEW, &count)))
        return false;
    return count == count_;
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

void ItemNames::ReadViewItem(int index) {
    Entry& entry = entries_[index];
    TaskMemory<PITEMID_CHILD> child;
    if (FAILED(view_->Item(index, child.Put())) || !child.Valid())
        return;
    wchar_t shown[kItemNameRoom];
    if (ReadItemName(folder_.Get(), child.Get(), SHGDN_INFOLDER, shown))
        entry.Shown = Store(shown);
    wchar_t fileName[kItemNameRoom];
    if (InFileSystem(folder_.Get(), child.Get()) &&
        ReadItemName(folder_.Get(), child.Get(), SHGDN_INFOLDER | SHGDN_FORPARSING, fileName) &&
        std::wcscmp(fileName, shown) != 0)
        entry.File = Store(fileName);
}

// A list view may answer with a pointer to text of its own instead of filling the buffer;
// that text is taken, cut to the buffer.
void ItemNames::ReadListItem(int index) {
    wchar_t label[kItemNameRoom] = {};
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.cchTextMax = kItemNameRoom;
    item.pszText = label;
    if (!SendMessageW(listView_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return;
    const wchar_t* answered = item.pszText;
    if (answered != label && answered != nullptr && answered != LPSTR_TEXTCALLBACKW)
        lstrcpynW(label, answered, kItemNameRoom);
    label[kItemNameRoom - 1] = L'\0';
    entries_[index].Shown = Store(label);
}

void ItemNames::ReadMore(int limit) {
    for (; read_ < count_ && limit > 0; ++read_, --limit) {
        entries_[read_] = Entry{-1, -1};
        if (listView_ != nullptr)
            ReadListItem(read_);
        else
            ReadViewItem(read_);
    }
}

bool ItemNames::Matches(const CompiledPatternLine& line, int index) const {
    const int file = entries_[index].File;
    return line.Matches(Shown(index)) || (file >= 0 && line.Matches(text_.get() + file));
}

const wchar_t* ItemNames::Shown(int index) const {
    const int at = entries_[index].Shown;
    return at >= 0 ? text_.get() + at : L"";
}
