// The command of Windows 11's own context menu, which takes entries only from IExplorerCommand
// handlers that a package declares. It runs the classic entry's command, and keeps no state but
// its site: Windows 11 creates it in a COM surrogate (dllhost.exe), so every call on the items,
// the site and the view reaches Explorer across a process boundary.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "common/owned.h"
#include "shellext/module_object.h"

class ExplorerCommand final : public IExplorerCommand, public IObjectWithSite, public ModuleObject {
public:
    ExplorerCommand() = default;

    // IUnknown, shared by both interface tables. The IExplorerCommand table is the identity.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

    // IExplorerCommand. The texts are the user's UI language's; the icon is the DLL's.
    STDMETHODIMP GetTitle(IShellItemArray* items, LPWSTR* name) override;
    STDMETHODIMP GetIcon(IShellItemArray* items, LPWSTR* icon) override;
    STDMETHODIMP GetToolTip(IShellItemArray* items, LPWSTR* infoTip) override;
    STDMETHODIMP GetCanonicalName(GUID* name) override;
    // Enabled for items of a folder in the file system and, for the empty area (no items, an
    // empty array or the site's folder itself), for a site whose view shows such a folder;
    // hidden otherwise. E_PENDING when a quick answer would need the items or the site.
    STDMETHODIMP GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) override;
    // The folder and the dialog's line from the first item, or from the site's view for the
    // empty area; then the classic entry's command, owned by the site's window.
    STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx* bindContext) override;
    STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override;
    STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** commands) override;

    // IObjectWithSite: the window's site, through which the command reaches the folder view
    // and the window that owns the dialog.
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** ppvSite) override;

private:
    ~ExplorerCommand() override = default;

    ComPtr<IUnknown> site_;
};
