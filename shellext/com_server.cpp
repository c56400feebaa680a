#include "shellext/com_server.h"

#include <new>

#include "common/owned.h"
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
    const auto extension = ComPtr<SelectExtension>::Share(new (std::nothrow) SelectExtension);
    if (!extension)
        return E_OUTOFMEMORY;
    return extension->QueryInterface(riid, ppv);
}

STDMETHODIMP ExtensionFactory::LockServer(BOOL fLock) {
    if (fLock)
        InterlockedIncrement(&ModuleLockCount);
    else
        InterlockedDecrement(&ModuleLockCount);
    return S_OK;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID) {
    if (fdwReason == DLL_PROCESS_ATTACH)
        ModuleInstance = hinstDLL;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return ModuleObjectCount == 0 && ModuleLockCount == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, kVestraneClassId))
        return CLASS_E_CLASSNOTAVAILABLE;
    const auto factory = ComPtr<ExtensionFactory>::Share(new (std::nothrow) ExtensionFactory);
    if (!factory)
        return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, ppv);
}
