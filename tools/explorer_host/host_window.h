// The stand-in Explorer's folder window: a top-level window that holds the shell's own folder
// view (window tree: this window -> "SHELLDLL_DefView" -> "SysListView32") and a status bar.
// A right-click in the view, or a command-line run, builds the context menu the way Explorer
// does and invokes the chosen entry with this window as the invoking window.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/support/shell_view.h"
#include "tests/support/uncopyable.h"
#include "tools/explorer_host/host_options.h"

class ContextMenuBuilder;

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

    bool OpenFolderView();
    void CloseFolderView();
    void Layout();
    void ShowContextMenu(POINT screen);
    void RunCommandLine();
    int RunMenuCommand(std::vector<std::string>* servers);
    void ReportServersUnloaded(const std::vector<std::string>& servers);
    bool SelectRequestedItems();
    POINT SelectionPoint() const;
    void PrepareOneCommand();
    void InvokeAndReport(const ContextMenuBuilder& menu, UINT id);
    void Finish(int exitCode);

    HostOptions options_;
    HWND window_ = nullptr;
    HWND status_ = nullptr;
    FolderView view_;
    WNDPROC viewProc_ = nullptr;
    // The menu being shown, for help texts in the status bar.
    ContextMenuBuilder* shownMenu_ = nullptr;
    int exitCode_ = 0;
};
