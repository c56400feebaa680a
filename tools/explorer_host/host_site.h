// The site that the stand-in Explorer sets on every context-menu handler and command, as
// Explorer does: through it a handler asks for the folder view (SID_SFolderView) and the
// browser (SID_STopLevelBrowser, SID_SShellBrowser), and a command of Windows 11's menu for
// the window that owns its dialogs (IOleWindow). Wine's own browser and view answer no
// IServiceProvider, so the host's site answers for them.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "tests/support/owned_com_object.h"
#include "tests/support/shell_view.h"
#include "tests/support/uncopyable.h"

class HostSite final : public OwnedComObject<IServiceProvider>,
                       public IOleWindow,
                       private Uncopyable {
public:
    // The site answers for this view, which outlives it, and for the frame window.
    HostSite(const FolderView& view, HWND frame) : view_(view), frame_(frame) {}

    // IUnknown, for both interfaces.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return OwnedComObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return OwnedComObject::Release(); }

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    bool Offers(REFIID riid) const override { return IsEqualIID(riid, IID_IServiceProvider); }

    const FolderView& view_;
    HWND frame_;
};
