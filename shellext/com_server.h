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

    // Makes a new SelectExtension and records it as CurrentExtension.
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    // Keeps no lock count: a lock does not keep the DLL loaded.
    STDMETHODIMP LockServer(BOOL fLock) override;

private:
    ~ExtensionFactory() override = default;
};

extern "C" {
// S_OK while no factory and no SelectExtension is alive, else S_FALSE.
HRESULT STDAPICALLTYPE DllCanUnloadNow();
// A new factory for kVestraneClassId on every call; CLASS_E_CLASSNOTAVAILABLE otherwise.
HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
}
