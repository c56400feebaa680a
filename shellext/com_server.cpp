#include "shellext/com_server.h"

#include <new>

#include "common/shared_facts.h"
#include "shellext/module_state.h"
#include "shellext/select_extension.h"

STDMETHODIMP ExtensionFactory::QueryInterface(REFIID riid, void** ppv) {
    const bool offered = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory);
    return HandOut(ppv, offered ? static_cast<IClassFactory*>(this) : nullptr);
}

// The caller's QueryInterface decides whether the new object lives: a reference is held
// around it, so an interface the object does not offer destroys it again instead of
// leaving an unreachable object that keeps the DLL loaded.
STDMETHODIMP ExtensionFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter != nullptr)
        return CLASS_E_NOAGGREGATION;
    SelectExtension* extension = new (std::nothrow) SelectExtension;
    if (extension == nullptr) {
        CurrentExtension = nullptr;
        return E_OUTOFMEMORY;
    }
    extension->AddRef();
    const HRESULT hr = extension->QueryInterface(riid, ppv);
    if (SUCCEEDED(hr))
        CurrentExtension = extension;
    extension->Release();
    return hr;
}

STDMETHODIMP ExtensionFactory::LockServer(BOOL) {
    return S_OK;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID) {
    if (fdwReason == DLL_PROCESS_ATTACH)
        ModuleInstance = hinstDLL;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return ModuleObjectCount == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, kVestraneClassId))
        return CLASS_E_CLASSNOTAVAILABLE;
    ExtensionFactory* factory = new (std::nothrow) ExtensionFactory;
    if (factory == nullptr)
        return E_OUTOFMEMORY;
    factory->AddRef();
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}
