// The first context menu of Windows 11, built the way Explorer builds it: its entries come only
// from the commands (IExplorerCommand) that packages declare, never from the registered
// context-menu handlers. Explorer creates each command out of process, in a COM surrogate
// (dllhost.exe), sets its site on it, asks its state for the selection (or, for the empty
// area of a folder, for an empty array or the folder itself) and shows each enabled command
// with its title and icon; a chosen one is invoked with the same items. The site is cleared
// when the menu goes. Nothing here knows any command in particular: the classes are given.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "tests/support/uncopyable.h"

class ExplorerCommandMenu : private Uncopyable {
public:
    ExplorerCommandMenu() = default;
    ~ExplorerCommandMenu();

    // Creates each class (its text form) in `context` (CLSCTX_LOCAL_SERVER: a surrogate),
    // sets `site` on it and keeps the commands whose state for `items` is not hidden, with
    // their titles and icons. Holds on to `items` for Invoke.
    void Build(const std::vector<std::string>& classes, DWORD context, IShellItemArray* items,
               IUnknown* site);

    // Reports every command: "modern-entry", "modern-icon" and "modern-icon-loaded" for each
    // enabled one, "modern-disabled" and "modern-hidden" for the others, "modern-failed" for
    // the classes that could not be asked, and "modern-surrogate" for every registered server
    // that a surrogate of this process has loaded.
    void ReportEntries() const;

    // Index of the enabled command whose title is `title` (ANSI code page), or -1.
    int FindByTitle(const std::string& title) const;
    std::wstring TitleOf(int index) const;
    // The small icon of the entry at index, null when it has none.
    HICON IconOf(int index) const;
    // Invokes the enabled command with the items it was built for and no bind context, as
    // Explorer does.
    HRESULT Invoke(int index) const;

    // A popup menu of the commands, command ids firstId onwards in their order, whose icons
    // the owner window draws (WM_MEASUREITEM, WM_DRAWITEM); the caller destroys it.
    HMENU MakePopup(UINT firstId) const;
    int EntryCount() const { return static_cast<int>(entries_.size()); }

    // The DLL files registered for the classes (their InprocServer32), and the surrogate
    // processes that COM started for this process.
    const std::vector<std::string>& ServerPaths() const { return serverPaths_; }
    const std::vector<DWORD>& Surrogates() const { return surrogates_; }

private:
    struct Entry {
        IExplorerCommand* Command = nullptr;
        std::string Name;
        std::wstring Title;
        std::wstring Icon;
        HICON LoadedIcon = nullptr;
        bool Enabled = false;
    };
    void Add(const std::string& name, DWORD context, IUnknown* site);

    std::vector<Entry> entries_;
    std::vector<std::string> hidden_;
    std::vector<std::string> problems_;
    std::vector<std::string> serverPaths_;
    std::vector<DWORD> surrogates_;
    IShellItemArray* items_ = nullptr;
    IUnknown* site_ = nullptr;
};
