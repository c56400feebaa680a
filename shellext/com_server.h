// The DLL's in-process COM server: two classes, SelectExtension (the classic context menu's
// handler) and ExplorerCommand (Windows 11's own menu's), each made by an ExtensionFactory.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "shellext/module_object.h"

class ExtensionFactory final : public IClassFactory, public ModuleObject {
public:
    // Makes an object of the factory's class and asks it for an interface.
    using Creator = HRESULT (*)(REFIID riid, void** ppv);
    explicit ExtensionFactory(Creator create) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

    // Makes a new object of the factory's class.
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    // Counts the caller's locks in ModuleLockCount, which keeps the DLL loaded.
    STDMETHODIMP LockServer(BOOL fLock) override;

private:
    ~ExtensionFactory() override = default;

    const Creator create_;
};

extern "C" {
// S_OK while no object of the DLL is alive and no lock is held, else S_FALSE.
HRESULT STDAPICALLTYPE DllCanUnloadNow();
// A new factory for kVestraneClassId or kCommandClassId on every call;
// CLASS_E_CLASSNOTAVAILABLE otherwise.
HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
}
