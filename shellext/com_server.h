// The DLL's in-process COM server: one class, SelectExtension, made by ExtensionFactory.
#pragma once

#include <windows.h>
#include <unknwn.h>

class ExtensionFactory final : public IClassFactory {
public:
    // Created with RefCount 0; the creator's QueryInterface takes the first reference.
    ExtensionFactory();
    ExtensionFactory(const ExtensionFactory&) = delete;
    ExtensionFactory& operator=(const ExtensionFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Makes a new SelectExtension and records it as CurrentExtension.
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    // Keeps no lock count: a lock does not keep the DLL loaded.
    STDMETHODIMP LockServer(BOOL fLock) override;

    ULONG RefCount = 0;

private:
    // Only Release destroys the factory.
    ~ExtensionFactory();
};

extern "C" {
// S_OK while no factory and no SelectExtension is alive, else S_FALSE.
HRESULT STDAPICALLTYPE DllCanUnloadNow();
// A new factory for kVestraneClassId on every call; CLASS_E_CLASSNOTAVAILABLE otherwise.
HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
}
