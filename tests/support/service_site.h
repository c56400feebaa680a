// A handler's site as a test builds it: it answers each service that Explorer's site offers a
// context-menu handler with the object the test gives it, or not at all.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "tests/support/owned_com_object.h"

class ServiceSite final : public OwnedComObject<IServiceProvider> {
public:
    IUnknown* FolderView = nullptr;
    IUnknown* TopLevelBrowser = nullptr;
    IUnknown* ShellBrowser = nullptr;

    bool Offers(REFIID riid) const override { return IsEqualIID(riid, IID_IServiceProvider); }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
        *ppv = nullptr;
        IUnknown* answer = IsEqualGUID(service, SID_SFolderView)        ? FolderView
                           : IsEqualGUID(service, SID_STopLevelBrowser) ? TopLevelBrowser
                           : IsEqualGUID(service, SID_SShellBrowser)    ? ShellBrowser
                                                                        : nullptr;
        return answer != nullptr ? answer->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
};
