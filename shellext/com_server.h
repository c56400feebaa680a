// The DLL's in-process COM server: one class, SelectExtension, made by ExtensionFactory.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "shellext/module_object.h"

class ExtensionFactory final : public IClassFactory, public ModuleObject {
public:
    ExtensionFactory() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

    // Makes a new SelectExtension.
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    // Counts the caller's locks in ModuleLockCount, which keeps the DLL loaded.
    STDMETHODIMP LockServer(BOOL fLock) override;

private:
    ~ExtensionFactory() override = default;
};

extern "C" {
// S_OK while no factory and no SelectExtension is alive and no lock is held, else S_FALSE.
HRESULT STDAPICALLTYPE DllCanUnloadNow();
// A new factory for kVestraneClassId on every call; CLASS_E_CLASSNOTAVAILABLE otherwise.
HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
}
