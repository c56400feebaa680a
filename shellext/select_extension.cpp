#include "shellext/select_extension.h"

#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <new>

#include "common/code_page_932.h"
#include "common/message_box.h"
#include "engine/folder_path.h"
#include "engine/selection_pass.h"
#include "engine/view_pass.h"
#include "shellext/explorer_window.h"
#include "shellext/folder_view.h"
#include "shellext/module_state.h"
#include "shellext/selection_dialog.h"
#include "shellext/settings_store.h"
#include "text/dbcs.h"

const char kMenuEntryText[] = "ワイルドカードで一括選択(&W)";
const char kMenuHelpText[] = "ワイルドカードでファイルを一括選択します。";
const char kMenuVerb[] = "VestraneSelectByWildcard";

namespace {

const char kNoExplorerWindowText[] = "エクスプローラのウインドウが検索できません。";
const char kErrorCaption[] = "Error";
const char kOtherFolderShownText[] =
    "このウインドウには、右クリックした項目のフォルダが表示されていません。\n"
    "そのフォルダのウインドウで、もう一度実行してください。";

// Room for the extension's texts in UTF-16, terminator included, with a margin.
constexpr int kTextRoom = 64;

// Copies the UTF-16 text into a buffer of room characters, always terminated. The texts hold
// no surrogate pairs, so a cut never splits a character.
void CopyWideBounded(wchar_t* destination, UINT room, const wchar_t* text) {
    UINT used = 0;
    while (text[used] != L'\0' && used < room - 1)
        ++used;
    CopyMemory(destination, text, used * sizeof(wchar_t));
    destination[used] = L'\0';
}

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
    if (GlobalLock(medium.hGlobal) == nullptr)
        return false;
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    bool read = false;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) != 0) {
        const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        if (length != 0 && length < MAX_PATH)
            read = DragQueryFileW(drop, 0, path, MAX_PATH) != 0;
    }
    GlobalUnlock(medium.hGlobal);
    return read;
}

// True when the path names a folder: its name has no extension to offer as a pattern.
bool IsFolder(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

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
    for (const char* own = kMenuVerb; *own != '\0'; ++own, ++verb) {
        if (AsciiLower(*verb) != AsciiLower(static_cast<Char>(*own)))
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

// Frees the run's History however the run ends.
class RunHistory {
public:
    explicit RunHistory(RunRecord& run) : run_(run) {
        run_.History = new (std::nothrow) StringList;
    }
    ~RunHistory() {
        delete run_.History;
        run_.History = nullptr;
    }
    RunHistory(const RunHistory&) = delete;
    RunHistory& operator=(const RunHistory&) = delete;
    bool Created() const { return run_.History != nullptr; }

private:
    RunRecord& run_;
};

// Names the run as the object's ActiveRun for as long as the run lasts; a run started
// from inside another one (a message loop of its dialog) hands the name back when it ends.
class ActiveRunScope {
public:
    ActiveRunScope(RunRecord*& active, RunRecord& run) : active_(active), outer_(active) {
        active_ = &run;
    }
    ~ActiveRunScope() { active_ = outer_; }
    ActiveRunScope(const ActiveRunScope&) = delete;
    ActiveRunScope& operator=(const ActiveRunScope&) = delete;

private:
    RunRecord*& active_;
    RunRecord* const outer_;
};

} // namespace

SelectExtension::~SelectExtension() {
    // A dialog opened without a record would otherwise reach a run through freed memory.
    if (CurrentExtension == this)
        CurrentExtension = nullptr;
    if (HeldDataObject != nullptr)
        HeldDataObject->Release();
    if (Site != nullptr)
        Site->Release();
}

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
    if (pUnkSite != nullptr)
        pUnkSite->AddRef();
    if (Site != nullptr)
        Site->Release();
    Site = pUnkSite;
    return S_OK;
}

STDMETHODIMP SelectExtension::GetSite(REFIID riid, void** ppvSite) {
    if (ppvSite == nullptr)
        return E_POINTER;
    *ppvSite = nullptr;
    if (Site == nullptr)
        return E_FAIL;
    return Site->QueryInterface(riid, ppvSite);
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
    if (HeldDataObject != nullptr) {
        HeldDataObject->Release();
        HeldDataObject = nullptr;
    }
    DefaultPattern[0] = '\0';
    SourceFolder[0] = L'\0';
    if (pdtobj == nullptr) {
        wchar_t folder[MAX_PATH] = {};
        if (!ReadFolderPath(pidlFolder, folder))
            return E_INVALIDARG;
        std::memcpy(SourceFolder, folder, sizeof SourceFolder);
        lstrcpyA(DefaultPattern, "*");
        return S_OK;
    }
    HeldDataObject = pdtobj;
    HeldDataObject->AddRef();

    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(pdtobj->GetData(&format, &medium)))
        return E_INVALIDARG;
    wchar_t firstFile[MAX_PATH] = {};
    const bool read = ReadFirstDroppedFile(medium, firstFile);
    ReleaseStgMedium(&medium);
    if (!read)
        return E_INVALIDARG;

    // The folder is cut from the UTF-16 path, where a backslash is always a separator.
    wchar_t* lastBackslash = wcsrchr(firstFile, L'\\');
    const wchar_t* name = lastBackslash != nullptr ? lastBackslash + 1 : firstFile;
    // The pattern comes from the name alone, in the code page 932 form it is matched in;
    // that form has at most MAX_PATH - 1 bytes, so the pattern fits its field.
    if (!IsFolder(firstFile)) {
        char codePageName[MAX_PATH];
        WideToCp932(name, -1, codePageName, MAX_PATH);
        MakeExtensionPattern(DefaultPattern, codePageName);
    }
    if (lastBackslash != nullptr)
        *lastBackslash = L'\0';
    std::memcpy(SourceFolder, firstFile, sizeof SourceFolder);
    return S_OK;
}

STDMETHODIMP SelectExtension::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst,
                                               UINT idCmdLast, UINT uFlags) {
    // Only the exact value counts: CMF_DEFAULTONLY combined with other flags still gets
    // the entry.
    if (uFlags == CMF_DEFAULTONLY)
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    // No id left in the caller's range: an entry with idCmdFirst would take the id of another
    // handler's entry, and choosing one would run the other.
    if (idCmdFirst > idCmdLast)
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    wchar_t entry[kTextRoom];
    Cp932ToWide(kMenuEntryText, entry, kTextRoom);
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
    RunCommand(lpici->hwnd);
    return S_OK;
}

// A view reached through the site or the window runs the whole pass, whatever windows show
// its items. A view that shows another folder ends the command: the window's list view would
// show that folder's items too, and their labels put behind this folder's path name files the
// user never saw. Only when no view can be reached at all are the window classes searched for
// a list view.
void SelectExtension::RunCommand(HWND owner) {
    const FoundFolderView found = FindFolderView(Site, owner, SourceFolder);
    if (found.View != nullptr) {
        RunPass(owner, found.View, nullptr);
        found.View->Release();
        return;
    }
    if (found.OtherFolderShown) {
        ShowCp932Message(owner, kOtherFolderShownText, kErrorCaption, MB_OK);
        return;
    }
    const ExplorerListView listView = FindExplorerListView(owner);
    if (listView.Result == ExplorerListView::NoFolderView)
        return;
    if (listView.Result == ExplorerListView::NoListView) {
        ShowCp932Message(owner, kNoExplorerWindowText, kErrorCaption, MB_OK);
        return;
    }
    RunPass(owner, nullptr, listView.ListView);
}

void SelectExtension::RunPass(HWND owner, IFolderView* view, HWND listView) {
    RunRecord run;
    std::memcpy(run.DefaultPattern, DefaultPattern, sizeof run.DefaultPattern);
    std::memcpy(run.SourceFolder, SourceFolder, sizeof run.SourceFolder);
    // Settings, dialog and saving all work on History; without it there is no run.
    RunHistory history(run);
    if (!history.Created())
        return;
    ActiveRunScope active(ActiveRun, run);
    LoadSettings(run);
    if (ShowSelectionDialog(run, owner) != IDOK)
        return;
    SaveSettings(run);
    if (view != nullptr)
        RunViewSelection(run, view);
    else
        RunSelection(run, listView);
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
    wchar_t text[kTextRoom];
    const bool verb = (uType & ~GCS_UNICODE) == GCS_VERBA;
    Cp932ToWide(verb ? kMenuVerb : kMenuHelpText, text, kTextRoom);
    if ((uType & GCS_UNICODE) != 0) {
        CopyWideBounded(reinterpret_cast<wchar_t*>(pszName), cchMax, text);
    } else {
        CopyAnsiBounded(pszName, cchMax, text);
    }
    return S_OK;
}
