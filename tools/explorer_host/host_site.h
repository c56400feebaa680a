// The site that the stand-in Explorer sets on every context-menu handler, as Explorer does:
// through it a handler asks for the folder view (SID_SFolderView) and the browser
// (SID_STopLevelBrowser, SID_SShellBrowser). Wine's own browser and view answer no
// IServiceProvider, so the host's site answers for them.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "tests/support/owned_com_object.h"
#include "tests/support/shell_view.h"
#include "tests/support/uncopyable.h"

class HostSite final : public OwnedComObject<IServiceProvider>, private Uncopyable {
public:
    // The site answers for this view, which outlives it.
    explicit HostSite(const FolderView& view) : view_(view) {}

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override;

private:
    bool Offers(REFIID riid) const override { return IsEqualIID(riid, IID_IServiceProvider); }

    const FolderView& view_;
};
