#include "tools/explorer_host/host_site.h"

#include <shlguid.h>

STDMETHODIMP HostSite::QueryInterface(REFIID riid, void** ppv) {
    if (ppv != nullptr && IsEqualIID(riid, IID_IOleWindow)) {
        *ppv = static_cast<IOleWindow*>(this);
        AddRef();
        return S_OK;
    }
    return OwnedComObject::QueryInterface(riid, ppv);
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

STDMETHODIMP HostSite::GetWindow(HWND* window) {
    if (window == nullptr)
        return E_POINTER;
    *window = frame_;
    return S_OK;
}
