// The shell's own folder view of a file-system folder inside a window of ours, hosted the
// way Explorer hosts it (window tree: the host window -> "SHELLDLL_DefView" ->
// "SysListView32"), and the shell's data objects for its items. Shared by the tests and
// the stand-in Explorer (tools/explorer_host).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/support/uncopyable.h"

// The shell folder object of a file-system folder, the path in the ANSI code page; null
// when it cannot be bound. With `id`, also the folder's item id list (CoTaskMemFree it).
IShellFolder* BindFolder(const std::string& path, PIDLIST_ABSOLUTE* id = nullptr);
IShellFolder* BindFolder(const std::wstring& path, PIDLIST_ABSOLUTE* id = nullptr);

// The data object that the shell hands a context-menu handler for these items of folder,
// in this order (IShellFolder::GetUIObjectOf with IID_IDataObject); null on failure.
IDataObject* ShellDataObject(IShellFolder* folder, const std::vector<std::string>& names);

// The smallest IShellBrowser that lets the shell's folder view live in a window of ours: the
// view asks it for the window, sends it a few toolbar and status messages, and tells it when
// it becomes active. Navigation is not offered.
class ShellBrowser final : public IShellBrowser, private Uncopyable {
public:
    explicit ShellBrowser(HWND window) : window_(window) {}

    void SetActiveView(IShellView* view) { view_ = view; }

    // IUnknown. The object lives as long as its owner; the count only reports.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IShellBrowser
    STDMETHODIMP InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusTextSB(LPCWSTR) override { return S_OK; }
    STDMETHODIMP EnableModelessSB(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAcceleratorSB(MSG*, WORD) override { return S_FALSE; }
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP GetViewStateStream(DWORD, IStream** stream) override;
    STDMETHODIMP GetControlWindow(UINT, HWND* window) override;
    STDMETHODIMP SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT* result) override;
    STDMETHODIMP QueryActiveShellView(IShellView** view) override;
    STDMETHODIMP OnViewWindowActive(IShellView*) override { return S_OK; }
    STDMETHODIMP SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return S_OK; }

private:
    HWND window_;
    IShellView* view_ = nullptr;
    LONG refCount_ = 1;
};

// One folder's view inside a host window, with the folder object and browser behind it.
class FolderView : private Uncopyable {
public:
    FolderView() = default;
    ~FolderView() { Close(); }

    // Shows folder in host, covering area, in the given mode (FVM_DETAILS...), and activates
    // it (SVUIA_ACTIVATE_FOCUS or SVUIA_ACTIVATE_NOFOCUS). False, with nothing open, when
    // the folder cannot be bound or its view not made.
    bool Open(HWND host, const std::string& folder, UINT viewMode, const RECT& area,
              UINT activation);
    bool Open(HWND host, const std::wstring& folder, UINT viewMode, const RECT& area,
              UINT activation);
    void Close();

    IShellFolder* Folder() const { return folder_; }
    PCIDLIST_ABSOLUTE FolderId() const { return folderId_; }
    IShellView* View() const { return view_; }
    IShellBrowser* Browser() const { return browser_; }
    HWND ViewWindow() const { return viewWindow_; }
    // The view's "SysListView32", or null.
    HWND ListView() const;

private:
    IShellFolder* folder_ = nullptr;
    PIDLIST_ABSOLUTE folderId_ = nullptr;
    IShellView* view_ = nullptr;
    ShellBrowser* browser_ = nullptr;
    HWND viewWindow_ = nullptr;
};

// A top-level window of its own with the folder view of one folder inside it, for tests.
class ShellViewHost : private Uncopyable {
public:
    explicit ShellViewHost(const std::string& folderPath);
    explicit ShellViewHost(const std::wstring& folderPath);
    ~ShellViewHost();

    // True when the view and its list view are there.
    bool Valid() const { return view_.ListView() != nullptr; }
    HWND Host() const { return host_; }
    HWND ViewWindow() const { return view_.ViewWindow(); }
    HWND ListView() const { return view_.ListView(); }
    IShellFolder* Folder() const { return view_.Folder(); }
    // Selects the item with this label alone and gives it the focus, as a click does before
    // a right-click opens its menu; its index, or -1 when there is no such item.
    int Select(const std::string& label) const;

private:
    HWND host_ = nullptr;
    FolderView view_;
};
