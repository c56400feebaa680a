#include "shellext/folder_view.h"

#include <exdisp.h>
#include <shlguid.h>

#include <utility>

#include "common/owned.h"
#include "engine/folder_path.h"

namespace {

// Whether the view shows the folder: the one place that keeps a view of another folder out.
// Compared as paths, so that the desktop, whose view shows the user's desktop folder, counts
// as that folder; a view of a folder with no path (a library, search results) never does.
bool ShowsFolder(IFolderView* view, const wchar_t* folder) {
    ComPtr<IPersistFolder2> persist;
    if (FAILED(view->GetFolder(IID_IPersistFolder2, persist.PutVoid())) || !persist)
        return false;
    TaskMemory<PIDLIST_ABSOLUTE> current;
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(persist->GetCurFolder(current.Put())) && ReadFolderPath(current.Get(), path) &&
           CompareStringOrdinal(path, -1, folder, -1, TRUE) == CSTR_EQUAL;
}

// What one search knows: the folder it looks for, and whether a view of another folder (or of
// none in the file system) turned up on the way.
struct ViewSearch {
    // Null: any folder.
    const wchar_t* Folder;
    bool SawOtherView = false;
};

// The candidate when it shows the folder (any folder, for a search without one), else empty.
ComPtr<IFolderView> Accepted(ComPtr<IFolderView> candidate, ViewSearch& search) {
    if (!candidate || search.Folder == nullptr || ShowsFolder(candidate.Get(), search.Folder))
        return candidate;
    search.SawOtherView = true;
    return nullptr;
}

ComPtr<IFolderView> ActiveViewOf(IShellBrowser* browser) {
    ComPtr<IShellView> view;
    ComPtr<IFolderView> folderView;
    if (SUCCEEDED(browser->QueryActiveShellView(view.Put())) && view)
        view.As(IID_IFolderView, folderView);
    return folderView;
}

ComPtr<IFolderView> ViewOfBrowserService(IServiceProvider* services, REFGUID service,
                                         ViewSearch& search) {
    ComPtr<IShellBrowser> browser;
    if (FAILED(services->QueryService(service, IID_IShellBrowser, browser.PutVoid())) || !browser)
        return nullptr;
    return Accepted(ActiveViewOf(browser.Get()), search);
}

ComPtr<IFolderView> ViewOfServices(IServiceProvider* services, bool askFolderView,
                                   ViewSearch& search) {
    ComPtr<IFolderView> view;
    if (askFolderView &&
        SUCCEEDED(services->QueryService(SID_SFolderView, IID_IFolderView, view.PutVoid())))
        view = Accepted(std::move(view), search);
    if (!view)
        view = ViewOfBrowserService(services, SID_STopLevelBrowser, search);
    if (!view)
        view = ViewOfBrowserService(services, SID_SShellBrowser, search);
    return view;
}

// The view that the object's services lead to: a handler's site, or a shell window of the
// collection, which is asked for its browser only.
ComPtr<IFolderView> ViewThroughServices(IUnknown* object, bool askFolderView, ViewSearch& search) {
    ComPtr<IServiceProvider> services;
    if (FAILED(QueryInto(object, IID_IServiceProvider, services)))
        return nullptr;
    return ViewOfServices(services.Get(), askFolderView, search);
}

// Another process's window could answer the message with anything; only a window of this
// thread answers with a pointer that can be used here. The answer holds no reference for the
// caller.
ComPtr<IFolderView> ViewThroughWindowMessage(HWND window, ViewSearch& search) {
    const DWORD thread = GetCurrentThreadId();
    for (; window != nullptr; window = GetAncestor(window, GA_PARENT)) {
        if (GetWindowThreadProcessId(window, nullptr) != thread)
            continue;
        auto* browser =
            reinterpret_cast<IShellBrowser*>(SendMessageW(window, kGetShellBrowserMessage, 0, 0));
        if (browser == nullptr)
            continue;
        if (ComPtr<IFolderView> view = Accepted(ActiveViewOf(browser), search))
            return view;
    }
    return nullptr;
}

HWND WindowOf(IDispatch* shellWindow) {
    ComPtr<IWebBrowserApp> app;
    SHANDLE_PTR handle = 0;
    if (FAILED(QueryInto(shellWindow, IID_IWebBrowserApp, app)) || FAILED(app->get_HWND(&handle)))
        handle = 0;
    return reinterpret_cast<HWND>(handle);
}

ComPtr<IFolderView> ViewThroughShellWindows(HWND window, ViewSearch& search) {
    const HWND root = GetAncestor(window, GA_ROOT);
    if (root == nullptr)
        return nullptr;
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                windows.PutVoid())) ||
        !windows)
        return nullptr;
    ComPtr<IFolderView> view;
    long count = 0;
    if (FAILED(windows->get_Count(&count)))
        count = 0;
    for (long index = 0; index < count && !view; ++index) {
        VARIANT which = {};
        which.vt = VT_I4;
        which.lVal = index;
        ComPtr<IDispatch> shellWindow;
        if (windows->Item(which, shellWindow.Put()) != S_OK || !shellWindow)
            continue;
        if (WindowOf(shellWindow.Get()) == root)
            view = ViewThroughServices(shellWindow.Get(), false, search);
    }
    return view;
}

} // namespace

FoundFolderView FindFolderView(IUnknown* site, HWND invokingWindow, const wchar_t* shownFolder) {
    FoundFolderView found;
    if (shownFolder == nullptr || shownFolder[0] == L'\0')
        return found;
    ViewSearch search{shownFolder};
    ComPtr<IFolderView> view;
    if (site != nullptr)
        view = ViewThroughServices(site, true, search);
    if (!view && invokingWindow != nullptr)
        view = ViewThroughWindowMessage(invokingWindow, search);
    if (!view && invokingWindow != nullptr)
        view = ViewThroughShellWindows(invokingWindow, search);
    found.OtherFolderShown = !view && search.SawOtherView;
    found.View = std::move(view);
    return found;
}

bool ReadSiteFolder(IUnknown* site, wchar_t (&folder)[MAX_PATH]) {
    folder[0] = L'\0';
    if (site == nullptr)
        return false;
    ViewSearch search{nullptr};
    const ComPtr<IFolderView> view = ViewThroughServices(site, true, search);
    ComPtr<IPersistFolder2> persist;
    TaskMemory<PIDLIST_ABSOLUTE> current;
    return view && SUCCEEDED(view->GetFolder(IID_IPersistFolder2, persist.PutVoid())) && persist &&
           SUCCEEDED(persist->GetCurFolder(current.Put())) && ReadFolderPath(current.Get(), folder);
}
