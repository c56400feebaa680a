// The shell's headers declare IExplorerBrowser for Internet Explorer 7 and later only.
#undef _WIN32_IE
#define _WIN32_IE 0x0700

#include "tests/support/shell_view.h"

#include <shlwapi.h>

#include <new>

#include "tests/support/list_view_items.h"
#include "tests/support/wide_text.h"
#include "tests/support/window_tree.h"

namespace {

const char kHostClass[] = "VestraneTestShellHost";

} // namespace

IShellFolder* BindFolder(const std::string& path, PIDLIST_ABSOLUTE* id) {
    return BindFolder(Wide(path), id);
}

IShellFolder* BindFolder(const std::wstring& path, PIDLIST_ABSOLUTE* id) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return nullptr;
    if (path.empty()) {
        // The desktop itself, whose items include virtual ones such as the computer.
        if (id != nullptr && FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, id))) {
            desktop->Release();
            return nullptr;
        }
        return desktop;
    }
    std::wstring wide = path;
    PIDLIST_ABSOLUTE parsed = nullptr;
    IShellFolder* folder = nullptr;
    if (SUCCEEDED(
            desktop->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &parsed, nullptr))) {
        desktop->BindToObject(parsed, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
        if (folder != nullptr && id != nullptr)
            *id = parsed;
        else
            CoTaskMemFree(parsed);
    }
    desktop->Release();
    return folder;
}

IDataObject* ShellDataObject(IShellFolder* folder, const std::vector<std::string>& names) {
    if (folder == nullptr)
        return nullptr;
    std::vector<LPITEMIDLIST> children;
    bool parsed = true;
    for (const std::string& name : names) {
        std::wstring wide = Wide(name);
        LPITEMIDLIST child = nullptr;
        if (FAILED(
                folder->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &child, nullptr))) {
            parsed = false;
            break;
        }
        children.push_back(child);
    }
    IDataObject* data = nullptr;
    if (parsed && !children.empty()) {
        folder->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()),
                              const_cast<LPCITEMIDLIST*>(children.data()), IID_IDataObject, nullptr,
                              reinterpret_cast<void**>(&data));
    }
    for (LPITEMIDLIST child : children)
        CoTaskMemFree(child);
    return data;
}

STDMETHODIMP ShellBrowser::GetWindow(HWND* window) {
    if (window == nullptr)
        return E_POINTER;
    *window = window_;
    return S_OK;
}

STDMETHODIMP ShellBrowser::GetViewStateStream(DWORD, IStream** stream) {
    if (stream != nullptr)
        *stream = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ShellBrowser::GetControlWindow(UINT, HWND* window) {
    if (window != nullptr)
        *window = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ShellBrowser::SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT* result) {
    if (result != nullptr)
        *result = 0;
    return S_OK;
}

STDMETHODIMP ShellBrowser::QueryActiveShellView(IShellView** view) {
    if (view == nullptr)
        return E_POINTER;
    if (view_ != nullptr)
        view_->AddRef();
    *view = view_;
    return view_ != nullptr ? S_OK : E_FAIL;
}

bool FolderView::Open(HWND host, const std::string& folder, UINT viewMode, const RECT& area,
                      UINT activation, ViewHosting hosting) {
    return Open(host, Wide(folder), viewMode, area, activation, hosting);
}

bool FolderView::Open(HWND host, const std::wstring& folder, UINT viewMode, const RECT& area,
                      UINT activation, ViewHosting hosting) {
    Close();
    folder_ = BindFolder(folder, &folderId_);
    const bool opened = folder_ != nullptr && (hosting == ViewHosting::ShellView
                                                   ? OpenShellView(host, viewMode, area)
                                                   : OpenExplorerBrowser(host, viewMode, area));
    if (!opened ||
        FAILED(view_->QueryInterface(IID_IFolderView, reinterpret_cast<void**>(&items_)))) {
        items_ = nullptr;
        Close();
        return false;
    }
    view_->UIActivate(activation);
    return true;
}

bool FolderView::OpenShellView(HWND host, UINT viewMode, const RECT& area) {
    if (FAILED(folder_->CreateViewObject(host, IID_IShellView, reinterpret_cast<void**>(&view_))) ||
        view_ == nullptr)
        return false;
    browser_ = new (std::nothrow) ShellBrowser(host);
    if (browser_ == nullptr)
        return false;
    browser_->SetActiveView(view_);
    FOLDERSETTINGS settings = {viewMode, 0};
    RECT place = area;
    if (FAILED(view_->CreateViewWindow(nullptr, &settings, browser_, &place, &viewWindow_)) ||
        viewWindow_ == nullptr) {
        viewWindow_ = nullptr;
        return false;
    }
    return true;
}

bool FolderView::OpenExplorerBrowser(HWND host, UINT viewMode, const RECT& area) {
    if (FAILED(CoCreateInstance(CLSID_ExplorerBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IExplorerBrowser, reinterpret_cast<void**>(&explorer_))) ||
        explorer_ == nullptr)
        return false;
    FOLDERSETTINGS settings = {viewMode, 0};
    if (FAILED(explorer_->Initialize(host, &area, &settings)) ||
        FAILED(explorer_->BrowseToIDList(folderId_, SBSP_ABSOLUTE)) ||
        FAILED(explorer_->GetCurrentView(IID_IShellView, reinterpret_cast<void**>(&view_))) ||
        view_ == nullptr ||
        FAILED(explorer_->QueryInterface(IID_IShellBrowser,
                                         reinterpret_cast<void**>(&explorerBrowser_))))
        return false;
    HWND window = nullptr;
    if (FAILED(view_->GetWindow(&window)) || window == nullptr)
        return false;
    viewWindow_ = window;
    return true;
}

void FolderView::Close() {
    if (items_ != nullptr) {
        items_->Release();
        items_ = nullptr;
    }
    if (view_ != nullptr) {
        // The ExplorerBrowser takes its view down itself.
        if (viewWindow_ != nullptr && explorer_ == nullptr) {
            view_->UIActivate(SVUIA_DEACTIVATE);
            view_->DestroyViewWindow();
        }
        view_->Release();
        view_ = nullptr;
    }
    viewWindow_ = nullptr;
    if (explorerBrowser_ != nullptr) {
        explorerBrowser_->Release();
        explorerBrowser_ = nullptr;
    }
    if (explorer_ != nullptr) {
        explorer_->Destroy();
        explorer_->Release();
        explorer_ = nullptr;
    }
    if (folder_ != nullptr) {
        folder_->Release();
        folder_ = nullptr;
    }
    if (folderId_ != nullptr) {
        CoTaskMemFree(folderId_);
        folderId_ = nullptr;
    }
    delete browser_;
    browser_ = nullptr;
}

void FolderView::Place(const RECT& area) const {
    if (explorer_ != nullptr)
        explorer_->SetRect(nullptr, area);
    else if (viewWindow_ != nullptr)
        MoveWindow(viewWindow_, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   TRUE);
}

IShellBrowser* FolderView::Browser() const {
    if (explorerBrowser_ != nullptr)
        return explorerBrowser_;
    return browser_;
}

HWND FolderView::ListView() const {
    return viewWindow_ != nullptr ? FindWindowExA(viewWindow_, nullptr, "SysListView32", nullptr)
                                  : nullptr;
}

std::wstring ItemFileName(IFolderView* view, int index) {
    IShellFolder* folder = nullptr;
    if (view == nullptr ||
        FAILED(view->GetFolder(IID_IShellFolder, reinterpret_cast<void**>(&folder))))
        return std::wstring();
    std::wstring name;
    PITEMID_CHILD child = nullptr;
    STRRET text = {};
    wchar_t wide[MAX_PATH] = {};
    if (SUCCEEDED(view->Item(index, &child)) &&
        SUCCEEDED(folder->GetDisplayNameOf(child, SHGDN_INFOLDER | SHGDN_FORPARSING, &text)) &&
        SUCCEEDED(StrRetToBufW(&text, child, wide, MAX_PATH)))
        name = wide;
    CoTaskMemFree(child);
    folder->Release();
    return name;
}

ShellViewHost::ShellViewHost(const std::string& folderPath, ViewHosting hosting)
    : ShellViewHost(Wide(folderPath), hosting) {}

ShellViewHost::ShellViewHost(const std::wstring& folderPath, ViewHosting hosting) {
    RegisterPlainClass(kHostClass);
    host_ = CreateWindowExA(0, kHostClass, "Vestrane test folder", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            0, 0, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (host_ != nullptr)
        view_.Open(host_, folderPath, FVM_DETAILS, {0, 0, 640, 480}, SVUIA_ACTIVATE_NOFOCUS,
                   hosting);
}

ShellViewHost::~ShellViewHost() {
    view_.Close();
    if (host_ != nullptr)
        DestroyWindow(host_);
}

int ShellViewHost::Select(const std::string& label) const {
    const int index = IndexOfLabel(ListView(), label);
    if (index >= 0)
        SelectItems(ListView(), {index});
    return index;
}
