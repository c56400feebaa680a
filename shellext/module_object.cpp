#include "shellext/module_object.h"

#include "shellext/module_state.h"

ModuleObject::ModuleObject() {
    InterlockedIncrement(&ModuleObjectCount);
}

ModuleObject::~ModuleObject() {
    InterlockedDecrement(&ModuleObjectCount);
}

ULONG ModuleObject::ReleaseReference() {
    const ULONG count = static_cast<ULONG>(InterlockedDecrement(&RefCount));
    if (count == 0)
        delete this;
    return count;
}

HRESULT HandOut(void** ppv, IUnknown* offered) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = offered;
    if (offered == nullptr)
        return E_NOINTERFACE;
    offered->AddRef();
    return S_OK;
}

HRESULT HandOutSite(IUnknown* site, REFIID riid, void** ppvSite) {
    if (ppvSite == nullptr)
        return E_POINTER;
    *ppvSite = nullptr;
    if (site == nullptr)
        return E_FAIL;
    return site->QueryInterface(riid, ppvSite);
}
