#include "shellext/folder_view.h"

#include <exdisp.h>
#include <shlguid.h>

#include "engine/folder_path.h"

namespace {

// Whether the view shows the folder: the one place that keeps a view of another folder out.
// Compared as paths, so that the desktop, whose view shows the user's desktop folder, counts
// as that folder; a view of a folder with no path (a library, search results) never does.
bool ShowsFolder(IFolderView* view, const wchar_t* folder) {
    IPersistFolder2* persist = nullptr;
    if (FAILED(view->GetFolder(IID_IPersistFolder2, reinterpret_cast<void**>(&persist))) ||
        persist == nullptr)
        return false;
    PIDLIST_ABSOLUTE current = nullptr;
    wchar_t path[MAX_PATH] = {};
    const bool read = SUCCEEDED(persist->GetCurFolder(&current)) && ReadFolderPath(current, path);
    CoTaskMemFree(current);
    persist->Release();
    if (!read)
        return false;
    return CompareStringOrdinal(path, -1, folder, -1, TRUE) == CSTR_EQUAL;
}

// What one search knows: the folder it looks for, and whether a view of another folder (or of
// none in the file system) turned up on the way.
struct ViewSearch {
    const wchar_t* Folder;
    bool SawOtherView = false;
};

// The candidate when it shows the folder, else null with the candidate released.
IFolderView* Accepted(IFolderView* candidate, ViewSearch& search) {
    if (candidate == nullptr || ShowsFolder(candidate, search.Folder))
        return candidate;
    search.SawOtherView = true;
    candidate->Release();
    return nullptr;
}

IFolderView* ActiveViewOf(IShellBrowser* browser) {
    IShellView* view = nullptr;
    if (FAILED(browser->QueryActiveShellView(&view)) || view == nullptr)
        return nullptr;
    IFolderView* folderView = nullptr;
    if (FAILED(view->QueryInterface(IID_IFolderView, reinterpret_cast<void**>(&folderView))))
        folderView = nullptr;
    view->Release();
    return folderView;
}

IFolderView* ViewOfBrowserService(IServiceProvider* services, REFGUID service, ViewSearch& search) {
    IShellBrowser* browser = nullptr;
    if (FAILED(services->QueryService(service, IID_IShellBrowser,
                                      reinterpret_cast<void**>(&browser))) ||
        browser == nullptr)
        return nullptr;
    IFolderView* view = Accepted(ActiveViewOf(browser), search);
    browser->Release();
    return view;
}

IFolderView* ViewOfServices(IServiceProvider* services, bool askFolderView, ViewSearch& search) {
    IFolderView* view = nullptr;
    if (askFolderView && SUCCEEDED(services->QueryService(SID_SFolderView, IID_IFolderView,
                                                          reinterpret_cast<void**>(&view))))
        view = Accepted(view, search);
    if (view == nullptr)
        view = ViewOfBrowserService(services, SID_STopLevelBrowser, search);
    if (view == nullptr)
        view = ViewOfBrowserService(services, SID_SShellBrowser, search);
    return view;
}

// The view that the object's services lead to: a handler's site, or a shell window of the
// collection, which is asked for its browser only.
IFolderView* ViewThroughServices(IUnknown* object, bool askFolderView, ViewSearch& search) {
    IServiceProvider* services = nullptr;
    if (FAILED(object->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services))) ||
        services == nullptr)
        return nullptr;
    IFolderView* view = ViewOfServices(services, askFolderView, search);
    services->Release();
    return view;
}

// Another process's window could answer the message with anything; only a window of this
// thread answers with a pointer that can be used here.
IFolderView* ViewThroughWindowMessage(HWND window, ViewSearch& search) {
    const DWORD thread = GetCurrentThreadId();
    for (; window != nullptr; window = GetAncestor(window, GA_PARENT)) {
        if (GetWindowThreadProcessId(window, nullptr) != thread)
            continue;
        auto* browser =
            reinterpret_cast<IShellBrowser*>(SendMessageW(window, kGetShellBrowserMessage, 0, 0));
        if (browser == nullptr)
            continue;
        if (IFolderView* view = Accepted(ActiveViewOf(browser), search))
            return view;
    }
    return nullptr;
}

HWND WindowOf(IDispatch* shellWindow) {
    IWebBrowserApp* app = nullptr;
    if (FAILED(shellWindow->QueryInterface(IID_IWebBrowserApp, reinterpret_cast<void**>(&app))) ||
        app == nullptr)
        return nullptr;
    SHANDLE_PTR handle = 0;
    if (FAILED(app->get_HWND(&handle)))
        handle = 0;
    app->Release();
    return reinterpret_cast<HWND>(handle);
}

IFolderView* ViewThroughShellWindows(HWND window, ViewSearch& search) {
    const HWND root = GetAncestor(window, GA_ROOT);
    if (root == nullptr)
        return nullptr;
    IShellWindows* windows = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                reinterpret_cast<void**>(&windows))) ||
        windows == nullptr)
        return nullptr;
    IFolderView* view = nullptr;
    long count = 0;
    if (FAILED(windows->get_Count(&count)))
        count = 0;
    for (long index = 0; index < count && view == nullptr; ++index) {
        VARIANT which = {};
        which.vt = VT_I4;
        which.lVal = index;
        IDispatch* shellWindow = nullptr;
        if (windows->Item(which, &shellWindow) != S_OK || shellWindow == nullptr)
            continue;
        if (WindowOf(shellWindow) == root)
            view = ViewThroughServices(shellWindow, false, search);
        shellWindow->Release();
    }
    windows->Release();
    return view;
}

} // namespace

FoundFolderView FindFolderView(IUnknown* site, HWND invokingWindow, const wchar_t* shownFolder) {
    FoundFolderView found;
    if (shownFolder == nullptr || shownFolder[0] == L'\0')
        return found;
    ViewSearch search{shownFolder};
    IFolderView* view = site != nullptr ? ViewThroughServices(site, true, search) : nullptr;
    if (view == nullptr && invokingWindow != nullptr)
        view = ViewThroughWindowMessage(invokingWindow, search);
    if (view == nullptr && invokingWindow != nullptr)
        view = ViewThroughShellWindows(invokingWindow, search);
    found.View = view;
    found.OtherFolderShown = view == nullptr && search.SawOtherView;
    return found;
}
