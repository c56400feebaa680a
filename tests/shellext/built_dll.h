// The built Vestrane.dll, loaded the way Explorer loads it, and its extension object opened
// and invoked the way Explorer's context menu does it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "tests/support/uncopyable.h"

// The built DLL as a path of the test prefix.
std::string BuiltDllPath();

class BuiltDll : private Uncopyable {
public:
    // Loads the DLL; Loaded() tells whether it and both its exports were found.
    BuiltDll();
    ~BuiltDll();

    bool Loaded() const { return getClassObject_ != nullptr && canUnloadNow_ != nullptr; }
    // The loaded module, whose resources hold the texts the DLL shows.
    HMODULE Module() const { return module_; }
    // The address of an export by name or ordinal, or null.
    void* Export(const char* name) const;

    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) const;
    HRESULT CanUnloadNow() const;

    // A new extension object made through the class factory, initialised with the shell's
    // data object for the item `name` of `folder`, its entry added to a popup menu: its
    // IContextMenu with the one reference, or null after a recorded test failure.
    IContextMenu* OpenMenuFor(IShellFolder* folder, const std::string& name) const;

private:
    using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

    HMODULE module_ = nullptr;
    GetClassObjectFunction getClassObject_ = nullptr;
    CanUnloadNowFunction canUnloadNow_ = nullptr;
};

// Invokes the extension's entry (command offset 0) from the owner window.
HRESULT InvokeEntry(IContextMenu* menu, HWND owner);
