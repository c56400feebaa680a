#include <windows.h>

// Placeholders until the COM server is written.
extern "C" HRESULT __stdcall DllCanUnloadNow() { return S_OK; }
extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID, void** ppv) {
    *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}
