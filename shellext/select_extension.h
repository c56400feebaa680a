// The context-menu extension object that Explorer creates for every context menu on files, on
// folder items and on the empty area of a folder window or of the desktop. It holds COM state
// only: its reference count, the data object Explorer initialised it with and what Initialize
// derived from it, and the site Explorer set on it. Each command it runs
// builds a RunRecord of its own, through which the settings store, the selection dialog, the
// selection pass and the actions exchange their data.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "engine/run_record.h"
#include "shellext/module_object.h"

class SelectExtension final : public IShellExtInit,
                              public IContextMenu,
                              public IObjectWithSite,
                              public ModuleObject {
public:
    SelectExtension() = default;

    // IUnknown, shared by the three interface tables. The IShellExtInit table is the identity.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

    // IShellExtInit: keeps the data object and derives DefaultPattern and SourceFolder
    // from the first selected item, or, for the empty area of a folder window (no data
    // object), from the folder pidlFolder names.
    STDMETHODIMP Initialize(LPCITEMIDLIST pidlFolder, IDataObject* pdtobj,
                            HKEY hkeyProgID) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                  UINT uFlags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* lpici) override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, LPSTR pszName,
                                  UINT cchMax) override;

    // IObjectWithSite: Explorer sets a site on its context-menu handlers (and clears it with
    // null); through it the command reaches the folder view of the window.
    STDMETHODIMP SetSite(IUnknown* pUnkSite) override;
    STDMETHODIMP GetSite(REFIID riid, void** ppvSite) override;

    IDataObject* HeldDataObject = nullptr;
    // The site last set, with a reference held; null when none is set.
    IUnknown* Site = nullptr;
    // "*" and the first selected file's extension, "*" for the empty area of a folder, or
    // empty. Set by Initialize.
    char DefaultPattern[kRecordTextSize] = {};
    // Folder of the first selected item, or the folder whose empty area was right-clicked,
    // without a trailing backslash ("C:" for a root).
    wchar_t SourceFolder[MAX_PATH] = {};
    // The record of the command this object is running; null outside a run.
    RunRecord* ActiveRun = nullptr;

private:
    ~SelectExtension() override;
    void RunCommand(HWND owner);
    // The dialog, then the pass through the view when there is one, else the list view's.
    void RunPass(HWND owner, IFolderView* view, HWND listView);
};

// The menu entry's text and its help text, as code page 932 bytes.
extern const char kMenuEntryText[];
extern const char kMenuHelpText[];
// The entry's verb, which GetCommandString gives and by which a program may invoke the entry
// through InvokeCommand; ASCII, matched without regard to case.
extern const char kMenuVerb[];
