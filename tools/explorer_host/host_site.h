// The site that the stand-in Explorer sets on every context-menu handler, as Explorer does:
// through it a handler asks for the folder view (SID_SFolderView) and the browser
// (SID_STopLevelBrowser, SID_SShellBrowser). Wine's own browser and view answer no
// IServiceProvider, so the host's site answers for them.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "tests/support/shell_view.h"
#include "tests/support/uncopyable.h"

class HostSite final : public IServiceProvider, private Uncopyable {
public:
    // The site answers for this view, which outlives it.
    explicit HostSite(const FolderView& view) : view_(view) {}

    // IUnknown. The object lives as long as its owner; the count only reports.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override;

    // References that handlers still hold.
    LONG HeldByOthers() const { return refCount_ - 1; }

private:
    const FolderView& view_;
    LONG refCount_ = 1;
};
