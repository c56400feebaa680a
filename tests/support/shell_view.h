// The shell's own folder view of a file-system folder inside a window of ours, hosted the
// way Explorer hosts it, and the shell's data objects for its items. Shared by the tests and
// the stand-in Explorer (tools/explorer_host).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/support/owned_com_object.h"
#include "tests/support/uncopyable.h"

// The shell folder object of a file-system folder, the path in UTF-8 or UTF-16, or of the
// desktop itself for an empty path; null when it cannot be bound. With `id`, also the folder's item
// id list (CoTaskMemFree it).
IShellFolder* BindFolder(const std::string& path, PIDLIST_ABSOLUTE* id = nullptr);
IShellFolder* BindFolder(const std::wstring& path, PIDLIST_ABSOLUTE* id = nullptr);

// The data object that the shell hands a context-menu handler for these items of folder,
// in this order (IShellFolder::GetUIObjectOf with IID_IDataObject); null on failure.
IDataObject* ShellDataObject(IShellFolder* folder, const std::vector<std::string>& names);

// The smallest IShellBrowser that lets the shell's folder view live in a window of ours: the
// view asks it for the window, sends it a few toolbar and status messages, and tells it when
// it becomes active. Navigation is not offered.
class ShellBrowser final : public OwnedComObject<IShellBrowser>, private Uncopyable {
public:
    explicit ShellBrowser(HWND window) : window_(window) {}

    void SetActiveView(IShellView* view) { view_ = view; }

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
    bool Offers(REFIID riid) const override {
        return IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IShellBrowser);
    }

    HWND window_;
    IShellView* view_ = nullptr;
};

// How a folder's view is put into a window of ours.
enum class ViewHosting {
    // The folder's view object with our ShellBrowser, as the Explorer of Windows 2000 and XP
    // holds it: host -> "SHELLDLL_DefView" -> "SysListView32".
    ShellView,
    // The shell's ExplorerBrowser control, as the Explorer of Windows 7 and later holds its
    // view: host -> "ExplorerBrowserControl" -> "SHELLDLL_DefView" -> "SysListView32".
    BrowserControl,
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
              UINT activation, ViewHosting hosting = ViewHosting::ShellView);
    bool Open(HWND host, const std::wstring& folder, UINT viewMode, const RECT& area,
              UINT activation, ViewHosting hosting = ViewHosting::ShellView);
    void Close();
    // Moves the view to cover area of the host.
    void Place(const RECT& area) const;

    IShellFolder* Folder() const { return folder_; }
    PCIDLIST_ABSOLUTE FolderId() const { return folderId_; }
    IShellView* View() const { return view_; }
    // The view's IFolderView, held as long as the view is open; null when closed.
    IFolderView* Items() const { return items_; }
    // The browser that holds the view; it answers QueryActiveShellView with it.
    IShellBrowser* Browser() const;
    HWND ViewWindow() const { return viewWindow_; }
    // The view's "SysListView32", or null.
    HWND ListView() const;

private:
    bool OpenShellView(HWND host, UINT viewMode, const RECT& area);
    bool OpenExplorerBrowser(HWND host, UINT viewMode, const RECT& area);

    IShellFolder* folder_ = nullptr;
    PIDLIST_ABSOLUTE folderId_ = nullptr;
    IShellView* view_ = nullptr;
    IFolderView* items_ = nullptr;
    ShellBrowser* browser_ = nullptr;
    IExplorerBrowser* explorer_ = nullptr;
    IShellBrowser* explorerBrowser_ = nullptr;
    HWND viewWindow_ = nullptr;
};

// The file name of the view's item at index (SHGDN_INFOLDER | SHGDN_FORPARSING), or empty.
std::wstring ItemFileName(IFolderView* view, int index);

// A top-level window of its own with the folder view of one folder inside it, for tests.
class ShellViewHost : private Uncopyable {
public:
    explicit ShellViewHost(const std::string& folderPath,
                           ViewHosting hosting = ViewHosting::ShellView);
    explicit ShellViewHost(const std::wstring& folderPath,
                           ViewHosting hosting = ViewHosting::ShellView);
    ~ShellViewHost();

    // True when the view and its list view are there.
    bool Valid() const { return view_.ListView() != nullptr; }
    HWND Host() const { return host_; }
    HWND ViewWindow() const { return view_.ViewWindow(); }
    HWND ListView() const { return view_.ListView(); }
    IShellFolder* Folder() const { return view_.Folder(); }
    const FolderView& View() const { return view_; }
    // Selects the item with this label alone and gives it the focus, as a click does before
    // a right-click opens its menu; its index, or -1 when there is no such item.
    int Select(const std::string& label) const;

private:
    HWND host_ = nullptr;
    FolderView view_;
};
