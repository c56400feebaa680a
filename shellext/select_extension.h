// The context-menu extension object that Explorer creates for every context menu on files, on
// folder items and on the empty area of a folder window or of the desktop. It holds COM state
// only: its reference count, the data object Explorer initialised it with and what Initialize
// derived from it, and the site Explorer set on it. Each command it runs
// builds a RunRecord of its own, through which the settings store, the selection dialog, the
// selection pass and the actions exchange their data.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "common/owned.h"
#include "shellext/module_object.h"
#include "shellext/select_command.h"

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

    // What Initialize derived: "*" and the first selected file's extension, "*" for the
    // empty area of a folder, or empty; and the folder of the first selected item, or the
    // folder whose empty area was right-clicked, without a trailing backslash ("C:" for a
    // root). Both empty before Initialize and after a failed one.
    const wchar_t* DefaultPattern() const { return start_.DefaultPattern; }
    const wchar_t* SourceFolder() const { return start_.SourceFolder; }

private:
    ~SelectExtension() override = default;
    ComPtr<IDataObject> dataObject_;
    // The site last set; empty when none is set.
    ComPtr<IUnknown> site_;
    CommandStart start_;
};
