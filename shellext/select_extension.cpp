#include "shellext/select_extension.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "common/resource_text.h"
#include "engine/folder_path.h"
#include "shellext/module_state.h"
#include "shellext/resource.h"
#include "shellext/package_presence.h"
#include "shellext/select_command.h"

namespace {

// Room for the extension's texts in UTF-16, terminator included, with a margin.
constexpr int kTextRoom = 64;

// Copies the UTF-16 text into a buffer of room bytes in the caller's ANSI code page: whole
// characters only, always terminated. A character without a form there becomes "?". UTF-8
// has a form for every character and takes neither option.
void CopyAnsiBounded(char* destination, UINT room, const wchar_t* text) {
    const bool utf8 = GetACP() == CP_UTF8;
    UINT used = 0;
    for (const wchar_t* at = text; *at != L'\0'; ++at) {
        char bytes[8];
        const int width = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, at, 1, bytes,
                                              sizeof bytes, utf8 ? nullptr : "?", nullptr);
        if (width <= 0 || used + width > room - 1)
            break;
        CopyMemory(destination + used, bytes, width);
        used += width;
    }
    destination[used] = '\0';
}

// The first selected file's full UTF-16 path from a CF_HDROP medium, or false when the list
// is empty or its first path cannot be read whole into a MAX_PATH buffer. A path that would
// be cut is refused: its folder would be wrong.
bool ReadFirstDroppedFile(const STGMEDIUM& medium, wchar_t (&path)[MAX_PATH]) {
    if (medium.tymed != TYMED_HGLOBAL || medium.hGlobal == nullptr)
        return false;
    const GlobalLockOf<> locked(medium.hGlobal);
    if (locked.Get() == nullptr)
        return false;
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0)
        return false;
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    return length != 0 && length < MAX_PATH && DragQueryFileW(drop, 0, path, MAX_PATH) != 0;
}

// The data object's medium, released however the reading ends.
class DataMedium {
public:
    DataMedium() = default;
    DataMedium(const DataMedium&) = delete;
    DataMedium& operator=(const DataMedium&) = delete;
    ~DataMedium() { ReleaseStgMedium(&medium_); }
    STGMEDIUM* Put() { return &medium_; }
    const STGMEDIUM& Get() const { return medium_; }

private:
    STGMEDIUM medium_ = {};
};

// True when the menu holds the entry already: a handler registered for several kinds of
// item, or asked twice for the same menu, still shows it once.
bool HoldsEntry(HMENU menu, const wchar_t* entry) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[kTextRoom];
        if (GetMenuStringW(menu, static_cast<UINT>(position), text, kTextRoom, MF_BYPOSITION) > 0 &&
            lstrcmpW(text, entry) == 0)
            return true;
    }
    return false;
}

template <typename Char> Char AsciiLower(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

// True when the verb is the entry's own, matched as the shell matches verbs: without regard
// to case.
template <typename Char> bool IsOwnVerb(const Char* verb) {
    for (const wchar_t* own = kMenuVerb; *own != L'\0'; ++own, ++verb) {
        if (AsciiLower(static_cast<wchar_t>(*verb)) != AsciiLower(*own))
            return false;
    }
    return *verb == 0;
}

// True when the invocation asks for the entry: its verb, or its command offset 0. Explorer
// passes a CMINVOKECOMMANDINFOEX whose verb is also given in UTF-16; its fields are read only
// when the size the caller gives covers them.
bool AsksForOwnCommand(const CMINVOKECOMMANDINFO& info) {
    if (info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info.fMask & CMIC_MASK_UNICODE) != 0) {
        const LPCWSTR wideVerb = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info).lpVerbW;
        if (!IS_INTRESOURCE(wideVerb))
            return IsOwnVerb(wideVerb);
    }
    if (!IS_INTRESOURCE(info.lpVerb))
        return IsOwnVerb(info.lpVerb);
    return LOWORD(reinterpret_cast<ULONG_PTR>(info.lpVerb)) == 0;
}

} // namespace

STDMETHODIMP SelectExtension::QueryInterface(REFIID riid, void** ppv) {
    IUnknown* offered = nullptr;
    if (IsEqualIID(riid, IID_IShellExtInit) || IsEqualIID(riid, IID_IUnknown))
        offered = static_cast<IShellExtInit*>(this);
    else if (IsEqualIID(riid, IID_IContextMenu))
        offered = static_cast<IContextMenu*>(this);
    else if (IsEqualIID(riid, IID_IObjectWithSite))
        offered = static_cast<IObjectWithSite*>(this);
    return HandOut(ppv, offered);
}

STDMETHODIMP SelectExtension::SetSite(IUnknown* pUnkSite) {
    // The new site is held before the old one goes, in case they are the same object.
    site_ = ComPtr<IUnknown>::Share(pUnkSite);
    return S_OK;
}

STDMETHODIMP SelectExtension::GetSite(REFIID riid, void** ppvSite) {
    return HandOutSite(site_.Get(), riid, ppvSite);
}

// Explorer may initialise the same object again before it invokes a command; the latest
// selection wins. A failed Initialize leaves DefaultPattern and SourceFolder empty, so a
// later command never works on an earlier selection's folder.
//
// For a right-click on the empty area of a folder window (or of the desktop) Explorer gives
// the folder's item id list and no data object: the command then works on that folder, and
// its line starts as "*". For selected items the folder is the first item's; a folder item's
// name is no file name with an extension, so its line starts empty.
STDMETHODIMP SelectExtension::Initialize(LPCITEMIDLIST pidlFolder, IDataObject* pdtobj, HKEY) {
    dataObject_ = ComPtr<IDataObject>::Share(pdtobj);
    start_ = CommandStart();
    if (pdtobj == nullptr) {
        wchar_t folder[MAX_PATH] = {};
        if (!ReadFolderPath(pidlFolder, folder))
            return E_INVALIDARG;
        StartFromFolder(folder, start_);
        return S_OK;
    }

    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    wchar_t firstFile[MAX_PATH] = {};
    {
        DataMedium medium;
        if (FAILED(pdtobj->GetData(&format, medium.Put())) ||
            !ReadFirstDroppedFile(medium.Get(), firstFile))
            return E_INVALIDARG;
    }
    StartFromItem(firstFile, start_);
    return S_OK;
}

STDMETHODIMP SelectExtension::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst,
                                               UINT idCmdLast, UINT uFlags) {
    // Explorer asks for the default entry alone (a double-click): the entry is none.
    if ((uFlags & CMF_DEFAULTONLY) != 0)
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    // No id left in the caller's range: an entry with idCmdFirst would take the id of another
    // handler's entry, and choosing one would run the other.
    if (idCmdFirst > idCmdLast)
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    // Windows 11 shows the packaged command in this menu as well ("Show more options"): one
    // entry is enough.
    if (CommandPackageRegistered())
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    wchar_t entry[kTextRoom];
    LoadText(ModuleInstance, IDS_MENU_ENTRY, entry, kTextRoom);
    // The entry that is there already keeps its command; this object adds none.
    if (HoldsEntry(hmenu, entry))
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    // Claiming a command that is not in the menu would shift the other handlers' offsets.
    if (!InsertMenuW(hmenu, indexMenu, MF_BYPOSITION, idCmdFirst, entry))
        return HRESULT_FROM_WIN32(GetLastError());
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
}

// Runs the whole command on the calling thread: dialog, selection pass and action; once
// the command is the entry's own, the answer is S_OK whatever happens. A verb or offset of
// another handler gets E_FAIL, which tells the shell to offer it to the other handlers of the
// menu.
STDMETHODIMP SelectExtension::InvokeCommand(CMINVOKECOMMANDINFO* lpici) {
    if (lpici == nullptr)
        return E_INVALIDARG;
    if (!AsksForOwnCommand(*lpici))
        return E_FAIL;
    // Nothing can unwind into the shell: the extension is built without exceptions and
    // allocates only with new (std::nothrow).
    RunSelectCommand(site_.Get(), lpici->hwnd, start_);
    return S_OK;
}

// The verb and the help text are written in the form the caller asks for: UTF-16 for the W
// requests, the caller's ANSI code page for the A ones. cchMax counts characters of that
// form; the text is cut at a whole character to fit and is always terminated. A missing
// buffer gets nothing written. Validation writes nothing; any other request, or a command
// that is not the entry's, is refused with nothing written.
STDMETHODIMP SelectExtension::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, LPSTR pszName,
                                               UINT cchMax) {
    switch (uType) {
    case GCS_VALIDATEA:
    case GCS_VALIDATEW:
        return idCmd == 0 ? S_OK : S_FALSE;
    case GCS_VERBA:
    case GCS_VERBW:
    case GCS_HELPTEXTA:
    case GCS_HELPTEXTW:
        break;
    default:
        return E_NOTIMPL;
    }
    if (idCmd != 0)
        return E_INVALIDARG;
    if (pszName == nullptr || cchMax == 0)
        return S_OK;
    wchar_t help[kTextRoom];
    const wchar_t* text = help;
    if ((uType & ~GCS_UNICODE) == GCS_VERBA)
        text = kMenuVerb;
    else
        LoadText(ModuleInstance, IDS_MENU_HELP, help, kTextRoom);
    if ((uType & GCS_UNICODE) != 0) {
        // The texts hold no surrogate pairs, so a cut never splits a character; each ends
        // within kTextRoom, which keeps the count an int.
        lstrcpynW(reinterpret_cast<wchar_t*>(pszName), text,
                  static_cast<int>(std::min<UINT>(cchMax, kTextRoom)));
    } else {
        CopyAnsiBounded(pszName, cchMax, text);
    }
    return S_OK;
}
