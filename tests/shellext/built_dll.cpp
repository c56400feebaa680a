#include "tests/shellext/built_dll.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/shared_facts.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/shell_view.h"

std::string BuiltDllPath() {
    return BuiltFilePath(VESTRANE_DLL_PATH);
}

BuiltDll::BuiltDll() : module_(LoadLibraryA(BuiltDllPath().c_str())) {
    getClassObject_ = reinterpret_cast<GetClassObjectFunction>(Export("DllGetClassObject"));
    canUnloadNow_ = reinterpret_cast<CanUnloadNowFunction>(Export("DllCanUnloadNow"));
}

BuiltDll::~BuiltDll() {
    if (module_ != nullptr)
        FreeLibrary(module_);
}

void* BuiltDll::Export(const char* name) const {
    return module_ != nullptr ? reinterpret_cast<void*>(GetProcAddress(module_, name)) : nullptr;
}

HRESULT BuiltDll::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) const {
    return getClassObject_ != nullptr ? getClassObject_(rclsid, riid, ppv) : E_UNEXPECTED;
}

HRESULT BuiltDll::CanUnloadNow() const {
    return canUnloadNow_ != nullptr ? canUnloadNow_() : E_UNEXPECTED;
}

IContextMenu* BuiltDll::OpenMenuFor(IShellFolder* folder, const std::string& name) const {
    IClassFactory* factory = nullptr;
    EXPECT_EQ(
        GetClassObject(kVestraneClassId, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
        S_OK);
    if (factory == nullptr)
        return nullptr;
    IShellExtInit* init = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)),
              S_OK);
    factory->Release();
    if (init == nullptr)
        return nullptr;
    IDataObject* data = ShellDataObject(folder, {name});
    EXPECT_NE(data, nullptr) << name;
    IContextMenu* menu = nullptr;
    if (data != nullptr) {
        EXPECT_EQ(init->Initialize(nullptr, data, nullptr), S_OK);
        data->Release();
        EXPECT_EQ(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
    }
    init->Release();
    if (menu == nullptr)
        return nullptr;
    HMENU popup = CreatePopupMenu();
    EXPECT_EQ(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL), 1);
    EXPECT_EQ(GetMenuItemCount(popup), 1);
    DestroyMenu(popup);
    return menu;
}

HRESULT InvokeEntry(IContextMenu* menu, HWND owner) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(0);
    info.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&info);
}
