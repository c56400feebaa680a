// The COM contract of the built Vestrane.dll, reached the way Explorer reaches it: through
// LoadLibrary and the exported DllGetClassObject, and through CoCreateInstance with a
// registration in the registry. How the module counts its objects is shown in-process by
// select_extension_test; here every test ends with the built DLL agreeing to unload.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "common/shared_facts.h"
#include "tests/shellext/built_dll.h"
#include "tests/support/registry_key_guard.h"

namespace {

const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClassIdText;

void* const kPoison = reinterpret_cast<void*>(static_cast<ULONG_PTR>(0xDEADBEEF));

class ComServer : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dll_.Loaded()) << BuiltDllPath(); }
    // Whatever a test did, it left no object alive.
    void TearDown() override { EXPECT_EQ(dll_.CanUnloadNow(), S_OK); }

    IClassFactory* Factory() {
        void* factory = kPoison;
        EXPECT_EQ(dll_.GetClassObject(kVestraneClassId, IID_IClassFactory, &factory), S_OK);
        return static_cast<IClassFactory*>(factory);
    }

    BuiltDll dll_;
};

TEST_F(ComServer, ExportsAreReachableByOrdinal) {
    EXPECT_EQ(dll_.Export(MAKEINTRESOURCEA(1)), dll_.Export("DllCanUnloadNow"));
    EXPECT_EQ(dll_.Export(MAKEINTRESOURCEA(2)), dll_.Export("DllGetClassObject"));
    EXPECT_EQ(dll_.Export(MAKEINTRESOURCEA(3)), nullptr);
}

TEST_F(ComServer, OtherClassIsNotAvailable) {
    void* object = kPoison;
    EXPECT_EQ(dll_.GetClassObject(IID_IClassFactory, IID_IClassFactory, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

TEST_F(ComServer, MissingOutParameterIsRefused) {
    EXPECT_EQ(dll_.GetClassObject(kVestraneClassId, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ComServer, EveryCallMakesANewFactory) {
    IClassFactory* first = Factory();
    IClassFactory* second = Factory();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);
    EXPECT_EQ(second->Release(), 0u);
}

TEST_F(ComServer, FactoryAnswersIUnknownAndIClassFactoryWithOneIdentity) {
    void* unknown = kPoison;
    ASSERT_EQ(dll_.GetClassObject(kVestraneClassId, IID_IUnknown, &unknown), S_OK);
    auto* factory = static_cast<IUnknown*>(unknown);
    void* classFactory = kPoison;
    EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, &classFactory), S_OK);
    EXPECT_EQ(classFactory, unknown);
    void* other = kPoison;
    EXPECT_EQ(factory->QueryInterface(IID_IContextMenu, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(static_cast<IUnknown*>(classFactory)->Release(), 1u);
    EXPECT_EQ(factory->Release(), 0u);
}

// A factory that the caller's interface cannot reach would never be released.
TEST_F(ComServer, FactoryForAnInterfaceItLacksIsNotLeftAlive) {
    void* object = kPoison;
    EXPECT_EQ(dll_.GetClassObject(kVestraneClassId, IID_IShellExtInit, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

TEST_F(ComServer, ObjectHasOneIdentityAndOneCountAcrossItsInterfaces) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    void* object = kPoison;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, &object), S_OK);
    factory->Release();
    auto* init = static_cast<IShellExtInit*>(object);

    void* unknown = kPoison;
    void* menu = kPoison;
    void* initAgain = kPoison;
    ASSERT_EQ(init->QueryInterface(IID_IUnknown, &unknown), S_OK);
    ASSERT_EQ(init->QueryInterface(IID_IContextMenu, &menu), S_OK);
    EXPECT_EQ(unknown, object);
    EXPECT_NE(menu, object);
    ASSERT_EQ(static_cast<IContextMenu*>(menu)->QueryInterface(IID_IShellExtInit, &initAgain),
              S_OK);
    EXPECT_EQ(initAgain, object);
    void* unknownFromMenu = kPoison;
    ASSERT_EQ(static_cast<IContextMenu*>(menu)->QueryInterface(IID_IUnknown, &unknownFromMenu),
              S_OK);
    EXPECT_EQ(unknownFromMenu, object);

    for (const IID* lacking : {&IID_IClassFactory, &IID_IContextMenu2, &IID_IContextMenu3,
                               &IID_IDataObject, &IID_IShellFolder}) {
        void* none = kPoison;
        EXPECT_EQ(static_cast<IContextMenu*>(menu)->QueryInterface(*lacking, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
    }
    // One count: 1 from CreateInstance and 4 from the successful QueryInterface calls.
    EXPECT_EQ(static_cast<IContextMenu*>(menu)->AddRef(), 6u);
    ULONG count = 6;
    count = static_cast<IContextMenu*>(menu)->Release();
    EXPECT_EQ(count, 5u);
    static_cast<IContextMenu*>(menu)->Release();
    static_cast<IUnknown*>(unknown)->Release();
    static_cast<IShellExtInit*>(initAgain)->Release();
    static_cast<IUnknown*>(unknownFromMenu)->Release();
    EXPECT_EQ(init->Release(), 0u);
}

// Every lock keeps the DLL loaded, with no object alive, until it is given back.
TEST_F(ComServer, LockServerKeepsTheDllLoadedUntilEveryLockIsGivenBack) {
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);
    IClassFactory* again = Factory();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->LockServer(FALSE), S_OK);
    EXPECT_EQ(again->Release(), 0u);
    EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);
    again = Factory();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->LockServer(FALSE), S_OK);
    EXPECT_EQ(again->Release(), 0u);
    EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

// The class registration as the setup program writes it. Wine 8's COM does not look at
// per-user classes (HKEY_CURRENT_USER\Software\Classes gives REGDB_E_CLASSNOTREG), so it
// goes under HKEY_CLASSES_ROOT, with a guard that saves and restores whatever was there.
TEST(ComRegistration, CoCreateInstanceFindsTheClassThroughTheRegistry) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        RegistryKeyGuard guard(HKEY_CLASSES_ROOT, kClassKey);
        const std::wstring server = kClassKey + L"\\InprocServer32";
        ASSERT_TRUE(WriteRegistryString(HKEY_CLASSES_ROOT, server, L"", BuiltDllPath()));
        ASSERT_TRUE(WriteRegistryString(HKEY_CLASSES_ROOT, server, L"ThreadingModel", "Apartment"));
        IContextMenu* menu = nullptr;
        const HRESULT hr = CoCreateInstance(kVestraneClassId, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IContextMenu, reinterpret_cast<void**>(&menu));
        ASSERT_EQ(hr, S_OK);
        ASSERT_NE(menu, nullptr);
        // The object comes from the registered DLL itself.
        HMODULE owner = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<const char*>(*reinterpret_cast<void**>(menu)), &owner);
        char ownerPath[MAX_PATH] = {};
        GetModuleFileNameA(owner, ownerPath, sizeof ownerPath);
        EXPECT_EQ(lstrcmpiA(ownerPath, BuiltDllPath().c_str()), 0) << ownerPath;

        IShellExtInit* init = nullptr;
        EXPECT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
        if (init != nullptr)
            init->Release();
        EXPECT_EQ(menu->Release(), 0u);
    }
    CoUninitialize();
}

} // namespace
