#include "tools/explorer_host/host_site.h"

#include <shlguid.h>

STDMETHODIMP HostSite::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    const bool offered = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IServiceProvider);
    *ppv = offered ? static_cast<IServiceProvider*>(this) : nullptr;
    return offered ? (AddRef(), S_OK) : E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) HostSite::AddRef() {
    return InterlockedIncrement(&refCount_);
}

STDMETHODIMP_(ULONG) HostSite::Release() {
    const LONG count = InterlockedDecrement(&refCount_);
    return count > 0 ? static_cast<ULONG>(count) : 0;
}

STDMETHODIMP HostSite::QueryService(REFGUID service, REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    IUnknown* answer = nullptr;
    if (IsEqualGUID(service, SID_SFolderView))
        answer = view_.View();
    else if (IsEqualGUID(service, SID_STopLevelBrowser) || IsEqualGUID(service, SID_SShellBrowser))
        answer = view_.Browser();
    if (answer == nullptr)
        return E_NOINTERFACE;
    return answer->QueryInterface(riid, ppv);
}
