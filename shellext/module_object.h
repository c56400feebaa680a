// What every COM object of the DLL shares: a reference count, a place in ModuleObjectCount
// for as long as it lives, and the rules of handing out an interface.
#pragma once

#include <windows.h>
#include <unknwn.h>

class ModuleObject {
public:
    ModuleObject(const ModuleObject&) = delete;
    ModuleObject& operator=(const ModuleObject&) = delete;

    // Starts at 0: the creator's QueryInterface takes the first reference. Explorer's threads
    // share an object's interfaces, so the count changes only by interlocked operations.
    LONG RefCount = 0;

protected:
    ModuleObject();
    // Only ReleaseReference destroys an object.
    virtual ~ModuleObject();

    ULONG AddReference() { return static_cast<ULONG>(InterlockedIncrement(&RefCount)); }
    ULONG ReleaseReference();
};

// What QueryInterface answers: null in *ppv and E_NOINTERFACE when `offered` is null (the
// interface is not offered), else `offered` with a reference taken; E_POINTER without ppv.
HRESULT HandOut(void** ppv, IUnknown* offered);

// What IObjectWithSite::GetSite answers: `riid` of the site held, E_FAIL while none is held.
HRESULT HandOutSite(IUnknown* site, REFIID riid, void** ppvSite);
