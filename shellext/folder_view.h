// Finds the shell's folder view of the window a context-menu command came from, through the
// interfaces that Explorer documents rather than the window classes of one Explorer version.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "common/owned.h"

// The message that Explorer's frame (and any window hosting a shell browser) answers with its
// IShellBrowser, an in-process pointer without a reference taken for the caller.
constexpr UINT kGetShellBrowserMessage = WM_USER + 7;

struct FoundFolderView {
    // The view of the folder, or empty.
    ComPtr<IFolderView> View;
    // No view of the folder, but a view of another folder, or of one outside the file system
    // (a library, search results), was reached: the window shows something else than the
    // folder the command was asked for.
    bool OtherFolderShown = false;
};

// The folder view showing the folder of the path `shownFolder` ("C:" for a root). Tried in
// this order,
// each way until one gives a view of that folder:
//   1. the site: the service SID_SFolderView, then the browser of SID_STopLevelBrowser and of
//      SID_SShellBrowser and its active view;
//   2. kGetShellBrowserMessage sent to invokingWindow and each window above it, only to
//      windows of the calling thread (the answer is a pointer into this process);
//   3. the shell windows collection: the window whose handle is invokingWindow's root, its
//      top-level browser and its active view.
// A view of another folder (a tree pane, a window that has moved on) is never returned.
FoundFolderView FindFolderView(IUnknown* site, HWND invokingWindow, const wchar_t* shownFolder);

// The path of the folder that the view reached through the site shows (as the first step above
// reaches it), as ReadFolderPath gives it; false, with folder empty, without a site, a view or
// a folder in the file system.
bool ReadSiteFolder(IUnknown* site, wchar_t (&folder)[MAX_PATH]);
