// The stand-in Explorer's folder window: a top-level window of the class "CabinetWClass" that
// holds the shell's own folder view and a status bar, in one of two layouts:
//   designed: this window -> "SHELLDLL_DefView" -> "SysListView32";
//   today:    this window -> "ShellTabWindowClass" -> "DUIViewWndClassName" -> "DirectUIHWND"
//             -> "CtrlNotifySink" -> the shell's ExplorerBrowser ("ExplorerBrowserControl"
//             -> "SHELLDLL_DefView" -> "SysListView32"), with a site on every handler.
// The window answers CWM_GETISHELLBROWSER with the browser. A right-click in the view, or a
// command-line run, builds the context menu the way Explorer does, for the selected items or
// for the view's empty area, and invokes the chosen entry with this window as the invoking
// window.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/shell_view.h"
#include "tests/support/uncopyable.h"
#include "tools/explorer_host/context_menu_builder.h"
#include "tools/explorer_host/empty_item_array.h"
#include "tools/explorer_host/explorer_command_menu.h"
#include "tools/explorer_host/host_options.h"
#include "tools/explorer_host/host_site.h"

class ExtensionsHidden;

class HostWindow : private Uncopyable {
public:
    explicit HostWindow(const HostOptions& options);
    ~HostWindow();

    // Creates and shows the window and its folder view. Reports why when it fails.
    bool Create(HINSTANCE instance);
    // Runs the message loop; returns the exit code.
    int Run();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    bool MakeTodaysFrame(HINSTANCE instance);
    bool OpenFolderView();
    // The view that the site and CWM_GETISHELLBROWSER hand out.
    const FolderView& AnsweredView() const;
    IUnknown* Site() const;
    void CloseFolderView();
    void Layout();
    void ShowContextMenu(POINT screen, MenuPlace place);
    // Windows 11's first menu, ending in "Show more options", which opens the other one.
    void ShowModernMenu(POINT screen, MenuPlace place);
    // Builds Windows 11's first menu for the place; false, reported, when the items fail.
    bool BuildModernMenu(MenuPlace place, ExplorerCommandMenu* menu);
    // Where a right-click at this screen point goes: an item or the empty area.
    MenuPlace PlaceAt(POINT screen) const;
    void RunCommandLine();
    int RunMenuCommand(std::vector<std::string>* servers);
    int RunModernCommand(std::vector<std::string>* servers);
    void ReportServersUnloaded(const std::vector<std::string>& servers);
    bool SelectRequestedItems();
    POINT SelectionPoint() const;
    // A screen point of the view's empty area, or (0, 0) when it has none.
    POINT EmptyAreaPoint() const;
    void PrepareOneCommand();
    // Calls `invoke` while the dialogs of this thread and of `surrogates` are answered, then
    // reports its result, the view's selection and the clipboard.
    void InvokeAndReport(const std::function<HRESULT()>& invoke,
                         const std::vector<DWORD>& surrogates = {});
    // The surrogates' job is done: Windows' own ends on its own, Wine's is ended here.
    void EndSurrogates(const std::vector<DWORD>& surrogates);
    void Finish(int exitCode);

    HostOptions options_;
    HWND window_ = nullptr;
    HWND status_ = nullptr;
    // The windows between this one and the view, outermost first (today's layout only).
    std::vector<HWND> frame_;
    std::unique_ptr<ExtensionsHidden> extensionsHidden_;
    FolderView view_;
    // A view of another folder in a hidden window (--other-view).
    HWND otherHost_ = nullptr;
    FolderView otherView_;
    std::unique_ptr<HostSite> site_;
    WNDPROC viewProc_ = nullptr;
    // The menu being shown, for help texts in the status bar.
    ContextMenuBuilder* shownMenu_ = nullptr;
    // Windows 11's menu being shown, whose icons this window draws; its command ids are the
    // entries' indexes plus one.
    ExplorerCommandMenu* shownModernMenu_ = nullptr;
    // What Windows 11's menu gets for the empty area, unless --background-items folder.
    EmptyItemArray emptyItems_;
    int exitCode_ = 0;
};
