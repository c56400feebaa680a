#include "shellext/explorer_command.h"

#include <shlwapi.h>

#include <cstring>

#include "common/message_box.h"
#include "common/resource_text.h"
#include "common/shared_facts.h"
#include "shellext/folder_view.h"
#include "shellext/module_state.h"
#include "shellext/resource.h"
#include "shellext/select_command.h"

namespace {

// Room for the command's texts in UTF-16, terminator included, with a margin.
constexpr int kTextRoom = 64;

// The text in memory of the COM allocator, which the caller frees; out null on
// E_OUTOFMEMORY. SHStrDupW itself would write through a null out.
HRESULT HandOutText(const wchar_t* text, LPWSTR* out) {
    return out != nullptr ? SHStrDupW(text, out) : E_POINTER;
}

HRESULT HandOutResourceText(UINT id, LPWSTR* out) {
    wchar_t text[kTextRoom];
    if (LoadText(ModuleInstance, id, text, kTextRoom) == 0) {
        if (out != nullptr)
            *out = nullptr;
        return E_FAIL;
    }
    return HandOutText(text, out);
}

// The full path of the first item, false for an item outside the file system (a library, the
// computer's drives list) or a path that does not fit.
bool ReadFirstItemPath(IShellItemArray* items, wchar_t (&path)[MAX_PATH]) {
    path[0] = L'\0';
    ComPtr<IShellItem> item;
    TaskMemory<LPWSTR> name;
    if (FAILED(items->GetItemAt(0, item.Put())) || !item ||
        FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, name.Put())) || !name.Get())
        return false;
    const int length = lstrlenW(name.Get());
    if (length == 0 || length >= MAX_PATH)
        return false;
    std::memcpy(path, name.Get(), (length + 1) * sizeof(wchar_t));
    return true;
}

// A root's item keeps its backslash ("C:\"), the site's folder does not ("C:").
bool IsSameFolder(const wchar_t* itemPath, const wchar_t* folder) {
    int length = lstrlenW(itemPath);
    if (length > 0 && itemPath[length - 1] == L'\\')
        --length;
    return CompareStringOrdinal(itemPath, length, folder, -1, TRUE) == CSTR_EQUAL;
}

// Where the command starts; the start stays empty when there is no folder in the file system to
// work on. The empty area of a folder comes as no array, as an empty one, or (for a verb of
// Directory\Background) as an array of that folder alone; the command then starts from the
// site's folder, as the classic entry does for the empty area, and not from the folder as an
// item of its parent, which the site's view does not show. Returns whether the items name the
// empty area.
bool StartOf(IShellItemArray* items, IUnknown* site, CommandStart& start) {
    start = CommandStart();
    DWORD count = 0;
    if (items != nullptr && FAILED(items->GetCount(&count)))
        return false;
    wchar_t item[MAX_PATH] = {};
    if (count > 0 && !ReadFirstItemPath(items, item))
        return false;
    wchar_t folder[MAX_PATH];
    const bool hasSiteFolder = count <= 1 && ReadSiteFolder(site, folder);
    if (count == 0 || (hasSiteFolder && IsSameFolder(item, folder))) {
        if (hasSiteFolder)
            StartFromFolder(folder, start);
        return true;
    }
    StartFromItem(item, start);
    return false;
}

HWND WindowOfSite(IUnknown* site) {
    ComPtr<IOleWindow> window;
    HWND handle = nullptr;
    if (FAILED(QueryInto(site, IID_IOleWindow, window)) || FAILED(window->GetWindow(&handle)))
        return nullptr;
    return handle;
}

} // namespace

STDMETHODIMP ExplorerCommand::QueryInterface(REFIID riid, void** ppv) {
    IUnknown* offered = nullptr;
    if (IsEqualIID(riid, IID_IExplorerCommand) || IsEqualIID(riid, IID_IUnknown))
        offered = static_cast<IExplorerCommand*>(this);
    else if (IsEqualIID(riid, IID_IObjectWithSite))
        offered = static_cast<IObjectWithSite*>(this);
    return HandOut(ppv, offered);
}

STDMETHODIMP ExplorerCommand::GetTitle(IShellItemArray*, LPWSTR* name) {
    return HandOutResourceText(IDS_COMMAND_TITLE, name);
}

STDMETHODIMP ExplorerCommand::GetToolTip(IShellItemArray*, LPWSTR* infoTip) {
    return HandOutResourceText(IDS_MENU_HELP, infoTip);
}

// The icon as the shell reads an icon location: this DLL's path and the resource's id, negated.
STDMETHODIMP ExplorerCommand::GetIcon(IShellItemArray*, LPWSTR* icon) {
    wchar_t location[MAX_PATH + 16];
    const DWORD length = GetModuleFileNameW(ModuleInstance, location, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        if (icon != nullptr)
            *icon = nullptr;
        return E_FAIL;
    }
    wsprintfW(location + length, L",-%d", IDI_VESTRANE);
    return HandOutText(location, icon);
}

STDMETHODIMP ExplorerCommand::GetCanonicalName(GUID* name) {
    if (name == nullptr)
        return E_POINTER;
    *name = kCommandCanonicalName;
    return S_OK;
}

// Asked for a quick answer (okToBeSlow FALSE), the command touches neither the items nor the
// site, as the shell asks (E_PENDING for any work that could keep its UI thread waiting): in the
// COM surrogate where Windows 11 runs it, both are proxies of Explorer's objects, and every
// call on them is a round trip to the Explorer thread that waits for this answer. That holds
// for the item array too: nothing documents that the shell marshals it by value, and Wine's
// (like any standard proxy) asks the other process even for its count. Only the command's own
// pointers are at hand. With no items and no site there is nothing to decide by: the command is
// then shown, since the package offers it only on the backgrounds of folders
// ("Directory\Background"), and its Invoke says so if it finds no folder after all.
STDMETHODIMP ExplorerCommand::GetState(IShellItemArray* items, BOOL okToBeSlow,
                                       EXPCMDSTATE* state) {
    if (state == nullptr)
        return E_POINTER;
    // Shown in the meantime, should a shell read the state of a pending answer: a command that
    // then finds no folder says so, a hidden one could not be chosen at all.
    *state = ECS_ENABLED;
    if (items == nullptr && !site_)
        return S_OK;
    if (!okToBeSlow)
        return E_PENDING;
    CommandStart start;
    const bool emptyArea = StartOf(items, site_.Get(), start);
    const bool enabled = start.SourceFolder[0] != L'\0' || (emptyArea && !site_);
    *state = enabled ? ECS_ENABLED : ECS_HIDDEN;
    return S_OK;
}

// Windows 11 calls this in its COM surrogate, while Explorer holds the foreground: Explorer
// lets the surrogate take the foreground before it invokes an out-of-process verb, and the
// dialog takes it when it opens (SelectionDialog). Its owner is Explorer's window in the other
// process; the system then joins the two threads' input, as it does for any window owned
// across processes, and the modal loop disables that window for the time of the dialog.
STDMETHODIMP ExplorerCommand::Invoke(IShellItemArray* items, IBindCtx*) {
    const HWND owner = WindowOfSite(site_.Get());
    CommandStart start;
    StartOf(items, site_.Get(), start);
    if (start.SourceFolder[0] == L'\0') {
        ShowMessage(owner, ModuleInstance, IDS_NO_EXPLORER_WINDOW, IDS_CAPTION_ERROR, MB_OK);
        return S_OK;
    }
    RunSelectCommand(site_.Get(), owner, start);
    return S_OK;
}

STDMETHODIMP ExplorerCommand::GetFlags(EXPCMDFLAGS* flags) {
    if (flags == nullptr)
        return E_POINTER;
    *flags = ECF_DEFAULT;
    return S_OK;
}

STDMETHODIMP ExplorerCommand::EnumSubCommands(IEnumExplorerCommand** commands) {
    if (commands != nullptr)
        *commands = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ExplorerCommand::SetSite(IUnknown* site) {
    // The new site is held before the old one goes, in case they are the same object.
    site_ = ComPtr<IUnknown>::Share(site);
    return S_OK;
}

STDMETHODIMP ExplorerCommand::GetSite(REFIID riid, void** ppvSite) {
    return HandOutSite(site_.Get(), riid, ppvSite);
}
