#include "tools/explorer_host/shell_browser.h"

STDMETHODIMP HostShellBrowser::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
        IsEqualIID(riid, IID_IShellBrowser))
        *ppv = static_cast<IShellBrowser*>(this);
    if (*ppv == nullptr)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) HostShellBrowser::AddRef() {
    return InterlockedIncrement(&refCount_);
}

STDMETHODIMP_(ULONG) HostShellBrowser::Release() {
    const LONG count = InterlockedDecrement(&refCount_);
    return count > 0 ? static_cast<ULONG>(count) : 0;
}

STDMETHODIMP HostShellBrowser::GetWindow(HWND* window) {
    if (window == nullptr)
        return E_POINTER;
    *window = window_;
    return S_OK;
}

STDMETHODIMP HostShellBrowser::GetViewStateStream(DWORD, IStream** stream) {
    if (stream != nullptr)
        *stream = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP HostShellBrowser::GetControlWindow(UINT, HWND* window) {
    if (window != nullptr)
        *window = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP HostShellBrowser::SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT* result) {
    if (result != nullptr)
        *result = 0;
    return S_OK;
}

STDMETHODIMP HostShellBrowser::QueryActiveShellView(IShellView** view) {
    if (view == nullptr)
        return E_POINTER;
    *view = view_;
    if (view_ == nullptr)
        return E_FAIL;
    view_->AddRef();
    return S_OK;
}
