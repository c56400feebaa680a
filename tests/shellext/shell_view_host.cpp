#include "tests/shellext/shell_view_host.h"

#include "tests/support/scratch_folder.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

const char kHostClass[] = "VestraneTestShellHost";

} // namespace

TempFolder::TempFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string base = temp;
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate = base + "\\vestrane-c-" +
                                      std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(GetTickCount() + attempt);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
}

TempFolder::~TempFolder() {
    if (!path_.empty())
        DeleteFolderTree(path_);
}

bool TempFolder::AddFile(const std::string& name) const {
    HANDLE file = CreateFileA((path_ + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool TempFolder::AddFolder(const std::string& name) const {
    return CreateDirectoryA((path_ + "\\" + name).c_str(), nullptr) != FALSE;
}

IShellFolder* BindFolder(const std::string& path) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return nullptr;
    std::wstring wide = Wide(path);
    LPITEMIDLIST pidl = nullptr;
    IShellFolder* folder = nullptr;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &pidl, nullptr))) {
        desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
        CoTaskMemFree(pidl);
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

// The least a shell view needs from its browser; the view lives inside the host window.
class ShellViewHost::Browser final : public IShellBrowser {
public:
    explicit Browser(HWND host) : host_(host) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
            IsEqualIID(riid, IID_IShellBrowser)) {
            *ppv = static_cast<IShellBrowser*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    // Owned by the host; the count only guards against use after the host is gone.
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }

    STDMETHODIMP GetWindow(HWND* window) override {
        *window = host_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP EnableModelessSB(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAcceleratorSB(MSG*, WORD) override { return E_NOTIMPL; }
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP GetViewStateStream(DWORD, IStream** stream) override {
        *stream = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetControlWindow(UINT, HWND* window) override {
        *window = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT* result) override {
        if (result != nullptr)
            *result = 0;
        return E_NOTIMPL;
    }
    STDMETHODIMP QueryActiveShellView(IShellView** view) override {
        *view = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP OnViewWindowActive(IShellView*) override { return E_NOTIMPL; }
    STDMETHODIMP SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return E_NOTIMPL; }

private:
    HWND host_;
    ULONG references_ = 1;
};

ShellViewHost::ShellViewHost(const std::string& folderPath) {
    WNDCLASSA host = {};
    host.lpfnWndProc = DefWindowProcA;
    host.hInstance = GetModuleHandleA(nullptr);
    host.lpszClassName = kHostClass;
    RegisterClassA(&host);
    host_ = CreateWindowExA(0, kHostClass, "Vestrane test folder", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            0, 0, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    folder_ = BindFolder(folderPath);
    if (host_ == nullptr || folder_ == nullptr)
        return;
    if (FAILED(folder_->CreateViewObject(host_, IID_IShellView, reinterpret_cast<void**>(&view_))))
        return;
    browser_ = new Browser(host_);
    FOLDERSETTINGS settings = {FVM_DETAILS, 0};
    RECT area = {0, 0, 640, 480};
    if (FAILED(view_->CreateViewWindow(nullptr, &settings, browser_, &area, &viewWindow_))) {
        viewWindow_ = nullptr;
        return;
    }
    view_->UIActivate(SVUIA_ACTIVATE_NOFOCUS);
}

ShellViewHost::~ShellViewHost() {
    if (view_ != nullptr) {
        if (viewWindow_ != nullptr)
            view_->DestroyViewWindow();
        view_->Release();
    }
    if (folder_ != nullptr)
        folder_->Release();
    if (host_ != nullptr)
        DestroyWindow(host_);
    delete browser_;
}

HWND ShellViewHost::ListView() const {
    return viewWindow_ != nullptr ? FindWindowExA(viewWindow_, nullptr, "SysListView32", nullptr)
                                  : nullptr;
}

std::string Label(HWND listView, int index) {
    char text[MAX_PATH] = {};
    LVITEMA item = {};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(listView, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

// Labels of the selected items in index order.
std::vector<std::string> SelectedLabels(HWND listView) {
    std::vector<std::string> labels;
    const int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (SendMessageA(listView, LVM_GETITEMSTATE, index, LVIS_SELECTED) & LVIS_SELECTED)
            labels.push_back(Label(listView, index));
    }
    return labels;
}

int IndexOf(HWND listView, const std::string& label) {
    const int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (Label(listView, index) == label)
            return index;
    }
    return -1;
}
