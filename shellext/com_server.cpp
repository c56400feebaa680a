#include "shellext/com_server.h"

#include <new>

#include "common/owned.h"
#include "common/shared_facts.h"
#include "shellext/explorer_command.h"
#include "shellext/module_state.h"
#include "shellext/select_extension.h"

namespace {

// The caller's QueryInterface decides whether the new object lives: a reference is held
// around it, so an interface the object does not offer destroys it again instead of
// leaving an unreachable object that keeps the DLL loaded.
template <typename Object> HRESULT CreateObject(REFIID riid, void** ppv) {
    const auto object = ComPtr<Object>::Share(new (std::nothrow) Object);
    if (!object)
        return E_OUTOFMEMORY;
    return object->QueryInterface(riid, ppv);
}

struct ServedClass {
    const CLSID* ClassId;
    ExtensionFactory::Creator Create;
};
constexpr ServedClass kServedClasses[] = {
    {&kVestraneClassId, CreateObject<SelectExtension>},
    {&kCommandClassId, CreateObject<ExplorerCommand>},
};

} // namespace

STDMETHODIMP ExtensionFactory::QueryInterface(REFIID riid, void** ppv) {
    const bool offered = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory);
    return HandOut(ppv, offered ? static_cast<IClassFactory*>(this) : nullptr);
}

STDMETHODIMP ExtensionFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter != nullptr)
        return CLASS_E_NOAGGREGATION;
    return create_(riid, ppv);
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
    for (const ServedClass& served : kServedClasses) {
        if (!IsEqualCLSID(rclsid, *served.ClassId))
            continue;
        const auto factory =
            ComPtr<ExtensionFactory>::Share(new (std::nothrow) ExtensionFactory(served.Create));
        if (!factory)
            return E_OUTOFMEMORY;
        return factory->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}
