// SelectExtension in this program, driven the way Explorer drives it: created through the
// class factory, initialised with real shell data objects (and with data objects that fail),
// its entry put into real menus, its help text asked for, and its command invoked.
#include "shellext/select_extension.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/resource_text.h"
#include "common/shared_facts.h"
#include "shellext/resource.h"
#include "shellext/com_server.h"
#include "shellext/module_state.h"
#include "shellext/package_presence.h"
#include "shellext/settings_store.h"
#include "tests/support/clipboard_reader.h"
#include "tests/support/list_view_items.h"
#include "tests/support/modal_driver.h"
#include "tests/support/nothrow_failure.h"
#include "tests/support/registry_key_guard.h"
#include "tests/support/row_label.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/service_site.h"
#include "tests/support/shell_view.h"
#include "tests/support/wide_text.h"
#include "tests/support/window_tree.h"

namespace {

void* const kPoison = reinterpret_cast<void*>(static_cast<ULONG_PTR>(0xDEADBEEF));

// A text of the string table of this program, which carries the DLL's resources.
std::wstring LoadedText(UINT id) {
    wchar_t text[256];
    LoadText(GetModuleHandleW(nullptr), id, text, 256);
    return text;
}

// A new extension object with one reference, made through the class factory.
SelectExtension* CreateExtension() {
    IClassFactory* factory = nullptr;
    if (DllGetClassObject(kVestraneClassId, IID_IClassFactory,
                          reinterpret_cast<void**>(&factory)) != S_OK)
        return nullptr;
    IShellExtInit* init = nullptr;
    factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init));
    factory->Release();
    return static_cast<SelectExtension*>(init);
}

// Releases the extension's one reference; the object must go with it.
void Destroy(SelectExtension* extension) {
    EXPECT_EQ(static_cast<IShellExtInit*>(extension)->Release(), 0u);
}

// ----- the class factory inside the module ------------------------------------------------

TEST(ExtensionFactory, CountsEveryLiveObject) {
    const LONG start = ModuleObjectCount;
    IClassFactory* factory = nullptr;
    ASSERT_EQ(
        DllGetClassObject(kVestraneClassId, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
        S_OK);
    EXPECT_EQ(ModuleObjectCount, start + 1);
    void* first = kPoison;
    void* second = kPoison;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, &first), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, &second), S_OK);
    EXPECT_EQ(ModuleObjectCount, start + 3);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);

    // A failed request leaves no live object.
    void* lacking = kPoison;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDataObject, &lacking), E_NOINTERFACE);
    EXPECT_EQ(lacking, nullptr);
    EXPECT_EQ(ModuleObjectCount, start + 3);
    void* aggregated = kPoison;
    EXPECT_EQ(factory->CreateInstance(static_cast<IUnknown*>(first), IID_IUnknown, &aggregated),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(aggregated, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(ModuleObjectCount, start + 3);

    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(static_cast<IContextMenu*>(first)->Release(), 0u);
    EXPECT_EQ(static_cast<IContextMenu*>(second)->Release(), 0u);
    EXPECT_EQ(ModuleObjectCount, start);
    EXPECT_EQ(DllCanUnloadNow(), start == 0 ? S_OK : S_FALSE);
}

TEST(ExtensionFactory, NoMemoryForTheFactoryOrTheObjectIsOutOfMemory) {
    const LONG start = ModuleObjectCount;
    void* object = kPoison;
    FailNothrowAllocation(1);
    EXPECT_EQ(DllGetClassObject(kVestraneClassId, IID_IClassFactory, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(ModuleObjectCount, start);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(
        DllGetClassObject(kVestraneClassId, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
        S_OK);
    void* first = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, &first), S_OK);
    object = kPoison;
    FailNothrowAllocation(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(ModuleObjectCount, start + 2);
    EXPECT_EQ(static_cast<IContextMenu*>(first)->Release(), 0u);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(ModuleObjectCount, start);
}

TEST(ExtensionFactory, NewObjectStartsWithEmptyTextFields) {
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    EXPECT_EQ(extension->RefCount, 1);
    EXPECT_STREQ(extension->DefaultPattern(), L"");
    EXPECT_STREQ(extension->SourceFolder(), L"");
    Destroy(extension);
}

// Explorer hands an object's interfaces to several threads; a count that loses an update frees
// the object under a caller or never frees it.
DWORD WINAPI TakeAndGiveBackReferences(void* extension) {
    IShellExtInit* init = static_cast<SelectExtension*>(extension);
    for (int round = 0; round < 2000000; ++round) {
        init->AddRef();
        init->Release();
    }
    return 0;
}

TEST(ExtensionFactory, ReferencesTakenOnSeveralThreadsAllCount) {
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    HANDLE threads[4] = {};
    for (HANDLE& thread : threads) {
        thread = CreateThread(nullptr, 0, TakeAndGiveBackReferences, extension, 0, nullptr);
        ASSERT_NE(thread, nullptr);
    }
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    for (HANDLE thread : threads)
        CloseHandle(thread);
    EXPECT_EQ(extension->RefCount, 1);
    Destroy(extension);
}

// ----- Initialize with real shell data objects ----------------------------------------------

struct InitializeRow {
    const char* label;
    // Files and folders to create ("dir\" ends a folder), relative to the scratch folder.
    std::vector<std::string> Create;
    // The folder whose items are selected, relative to the scratch folder ("" for itself).
    std::string SelectIn;
    std::vector<std::string> Selection;
    const char* DefaultPattern;
    // SourceFolder relative to the scratch folder ("" for itself).
    std::string Folder;
};

class InitializeWithShellData : public testing::TestWithParam<InitializeRow> {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

TEST_P(InitializeWithShellData, KeepsTheFirstFilesFolderAndExtensionPattern) {
    const InitializeRow& row = GetParam();
    ScratchFolder scratch("vestrane-shell");
    ASSERT_FALSE(scratch.Path().empty());
    for (const std::string& entry : row.Create) {
        if (!entry.empty() && entry.back() == '\\') {
            ASSERT_TRUE(scratch.AddFolder(entry.substr(0, entry.size() - 1))) << entry;
        } else {
            ASSERT_TRUE(scratch.WriteFile(entry)) << entry;
        }
    }
    const std::string selectIn =
        row.SelectIn.empty() ? scratch.Path() : scratch.Path() + "\\" + row.SelectIn;
    IShellFolder* folder = BindFolder(selectIn);
    ASSERT_NE(folder, nullptr);
    IDataObject* data = ShellDataObject(folder, row.Selection);
    ASSERT_NE(data, nullptr);

    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    EXPECT_EQ(extension->Initialize(nullptr, data, nullptr), S_OK);
    EXPECT_EQ(std::wstring(extension->DefaultPattern()), Wide(row.DefaultPattern));
    const std::string expectedFolder =
        row.Folder.empty() ? scratch.Path() : scratch.Path() + "\\" + row.Folder;
    EXPECT_EQ(lstrcmpiW(extension->SourceFolder(), Wide(expectedFolder).c_str()), 0)
        << Utf8(extension->SourceFolder()) << " vs " << expectedFolder;

    Destroy(extension);
    // Destroying the extension gave back its reference: this is the last one.
    EXPECT_EQ(data->Release(), 0u);
    folder->Release();
}

INSTANTIATE_TEST_SUITE_P(
    Selections, InitializeWithShellData,
    testing::Values(
        InitializeRow{"Extension", {"name.txt"}, "", {"name.txt"}, "*.txt", ""},
        InitializeRow{"FromTheFirstDot", {"a.tar.gz"}, "", {"a.tar.gz"}, "*.tar.gz", ""},
        InitializeRow{
            "NoExtension", {"dir.d\\", "dir.d\\README"}, "dir.d", {"README"}, "", "dir.d"},
        InitializeRow{"OnlyTheFirstOfSeveralCounts",
                      {"b.doc", "a.txt", "c.xls"},
                      "",
                      {"b.doc", "a.txt", "c.xls"},
                      "*.doc",
                      ""},
        // A folder's name has no extension to offer, dot or not.
        InitializeRow{"FolderItemGivesNoPattern", {"sub.dir\\"}, "", {"sub.dir"}, "", ""},
        InitializeRow{
            "FolderItemBeforeAFile", {"sub.dir\\", "a.txt"}, "", {"sub.dir", "a.txt"}, "", ""},
        InitializeRow{"JapaneseNameEndingIn5C", {"表.txt"}, "", {"表.txt"}, "*.txt", ""},
        InitializeRow{
            "JapaneseFolderEndingIn5C", {"表\\", "表\\x.doc"}, "表", {"x.doc"}, "*.doc", "表"}),
    RowLabel());

// ----- Initialize with data objects that fail -----------------------------------------------

// A data object whose CF_HDROP answer the test chooses.
class FakeDataObject final : public IDataObject {
public:
    enum Answer { Fails, NoFiles, Paths, StreamMedium };
    FakeDataObject(Answer answer, std::vector<std::wstring> paths = {})
        : answer_(answer), paths_(std::move(paths)) {}

    ULONG References() const { return references_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *ppv = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        ++requests_;
        if (format->cfFormat != CF_HDROP || format->tymed != TYMED_HGLOBAL ||
            format->dwAspect != DVASPECT_CONTENT || format->lindex != -1 || format->ptd != nullptr)
            return DV_E_FORMATETC;
        if (answer_ == Fails)
            return DV_E_FORMATETC;
        if (answer_ == StreamMedium) {
            medium->tymed = TYMED_ISTREAM;
            medium->pstm = nullptr;
            medium->pUnkForRelease = nullptr;
            return S_OK;
        }
        // A DROPFILES block as the shell makes it: the header, each UTF-16 path with its
        // terminator, a closing zero.
        std::wstring list;
        for (const std::wstring& path : paths_)
            list += path + L'\0';
        list += L'\0';
        const size_t listBytes = list.size() * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + listBytes);
        auto* bytes = static_cast<char*>(GlobalLock(memory));
        std::memcpy(bytes + sizeof(DROPFILES), list.data(), listBytes);
        reinterpret_cast<DROPFILES*>(bytes)->pFiles = sizeof(DROPFILES);
        reinterpret_cast<DROPFILES*>(bytes)->fWide = TRUE;
        GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) override {
        *out = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }

    int Requests() const { return requests_; }

private:
    Answer answer_;
    std::vector<std::wstring> paths_;
    ULONG references_ = 1;
    int requests_ = 0;
};

struct FailingRow {
    const char* label;
    FakeDataObject::Answer Answer;
    std::vector<std::wstring> Paths;
};

class InitializeWithFailingData : public testing::TestWithParam<FailingRow> {};

TEST_P(InitializeWithFailingData, ReturnsInvalidArgKeepsTheObjectAndDerivesNothing) {
    const FailingRow& row = GetParam();
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    // An earlier selection must not survive into this one.
    FakeDataObject earlier(FakeDataObject::Paths, {L"C:\\earlier\\old.bak"});
    ASSERT_EQ(extension->Initialize(nullptr, &earlier, nullptr), S_OK);
    ASSERT_STREQ(extension->SourceFolder(), L"C:\\earlier");

    FakeDataObject data(row.Answer, row.Paths);
    EXPECT_EQ(extension->Initialize(nullptr, &data, nullptr), E_INVALIDARG);
    EXPECT_EQ(data.Requests(), 1);
    EXPECT_EQ(earlier.References(), 1u);
    EXPECT_EQ(data.References(), 2u);
    EXPECT_STREQ(extension->DefaultPattern(), L"");
    EXPECT_STREQ(extension->SourceFolder(), L"");
    Destroy(extension);
    EXPECT_EQ(data.References(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    DataObjects, InitializeWithFailingData,
    testing::Values(FailingRow{"NoDropList", FakeDataObject::Fails, {}},
                    FailingRow{"EmptyFileList", FakeDataObject::NoFiles, {}},
                    FailingRow{"NotInGlobalMemory", FakeDataObject::StreamMedium, {}},
                    FailingRow{"FirstPathTooLongForMaxPath",
                               FakeDataObject::Paths,
                               {L"C:\\" + std::wstring(256, L'p') + L".txt", L"C:\\short.txt"}}),
    RowLabel());

TEST(Initialize, NoDataObjectIsInvalidAndReleasesTheHeldOne) {
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    FakeDataObject data(FakeDataObject::Paths, {L"C:\\dir\\name.txt"});
    ASSERT_EQ(extension->Initialize(nullptr, &data, nullptr), S_OK);
    EXPECT_EQ(data.References(), 2u);
    EXPECT_EQ(extension->Initialize(nullptr, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(data.References(), 1u);
    Destroy(extension);
}

// The folder is cut from the UTF-16 path at its last backslash, and the pattern from its
// name, as it stands (a character without a code page 932 form became "?", which selected
// names the user never saw). The ANSI call read "¥" as a backslash, and on a system set to
// UTF-8 cut "C:\w\あ\x.txt" inside "あ".
struct PathRow {
    const char* label;
    std::wstring Path;
    std::wstring DefaultPattern;
    std::wstring Folder;
};

class InitializeWithPaths : public testing::TestWithParam<PathRow> {};

TEST_P(InitializeWithPaths, CutsTheFolderFromTheWidePathAndThePatternFromTheName) {
    const PathRow& row = GetParam();
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    FakeDataObject data(FakeDataObject::Paths, {row.Path, L"D:\\y.doc"});
    EXPECT_EQ(extension->Initialize(nullptr, &data, nullptr), S_OK);
    EXPECT_EQ(std::wstring(extension->DefaultPattern()), row.DefaultPattern);
    EXPECT_EQ(std::wstring(extension->SourceFolder()), row.Folder);
    Destroy(extension);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, InitializeWithPaths,
    testing::Values(PathRow{"DriveRootGivesTheDriveWithoutBackslash", L"C:\\x.txt", L"*.txt",
                            L"C:"},
                    PathRow{"JapaneseFolder", L"C:\\w\\あ\\x.txt", L"*.txt", L"C:\\w\\あ"},
                    PathRow{"FolderEndingIn5C", L"C:\\表\\ソ.doc", L"*.doc", L"C:\\表"},
                    PathRow{"AccentKept", L"C:\\w\\x.café", L"*.café", L"C:\\w"},
                    PathRow{"YenSignIsNoSeparator", L"C:\\dl\\x¥..¥y.pdf", L"*..¥y.pdf", L"C:\\dl"},
                    PathRow{"HangulAndEmoji", L"C:\\한\\\U0001F600.txt", L"*.txt", L"C:\\한"},
                    // 259 characters, the most a MAX_PATH buffer holds with its terminator.
                    PathRow{"LongestPathThatFits", L"C:\\" + std::wstring(250, L'f') + L"\\a.txt",
                            L"*.txt", L"C:\\" + std::wstring(250, L'f')}),
    RowLabel());

// The empty area of a folder window, or of the desktop: Explorer gives the folder's id list and
// no data object. The command works on that folder (UTF-16, a root without its backslash, the
// desktop as its folder) and its line starts as "*"; a data object held from an earlier
// selection is given back. A folder outside the file system gets no entry.
TEST(Initialize, EmptyAreaWorksOnTheFolderOfTheIdListFromStar) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ScratchFolder scratch("vestrane-background");
    ASSERT_TRUE(scratch.AddFolder("表"));
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
    PIDLIST_ABSOLUTE desktopId = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktopId), S_OK);
    const std::wstring japanese = scratch / Wide("表");
    const struct {
        const char* Label;
        PIDLIST_ABSOLUTE Id;
        std::wstring Folder;
    } places[] = {{"folder ending in 0x5C", ILCreateFromPathW(japanese.c_str()), japanese},
                  {"drive root", ILCreateFromPathW(L"C:\\"), L"C:"},
                  {"desktop", desktopId, desktop}};

    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    FakeDataObject earlier(FakeDataObject::Paths, {L"C:\\earlier\\old.bak"});
    ASSERT_EQ(extension->Initialize(nullptr, &earlier, nullptr), S_OK);
    for (const auto& place : places) {
        ASSERT_NE(place.Id, nullptr) << place.Label;
        EXPECT_EQ(extension->Initialize(place.Id, nullptr, nullptr), S_OK) << place.Label;
        EXPECT_STREQ(extension->DefaultPattern(), L"*") << place.Label;
        EXPECT_EQ(lstrcmpiW(extension->SourceFolder(), place.Folder.c_str()), 0)
            << place.Label << ": " << Utf8(extension->SourceFolder());
        CoTaskMemFree(place.Id);
    }
    EXPECT_EQ(earlier.References(), 1u);

    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    EXPECT_EQ(extension->Initialize(computer, nullptr, nullptr), E_INVALIDARG);
    EXPECT_STREQ(extension->DefaultPattern(), L"");
    EXPECT_STREQ(extension->SourceFolder(), L"");
    CoTaskMemFree(computer);
    Destroy(extension);
    OleUninitialize();
}

// ----- QueryContextMenu -------------------------------------------------------------------

struct MenuRow {
    const char* label;
    UINT Flags;
    bool Added;
};

class QueryContextMenuFlags : public testing::TestWithParam<MenuRow> {};

TEST_P(QueryContextMenuFlags, AddsOnePlainEntryAtTheGivenPositionUnlessOnlyDefaultsAreWanted) {
    const MenuRow& row = GetParam();
    HMENU menu = CreatePopupMenu();
    ASSERT_NE(menu, nullptr);
    AppendMenuA(menu, MF_STRING, 1, "first");
    AppendMenuA(menu, MF_STRING, 2, "second");
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);

    const HRESULT hr = extension->QueryContextMenu(menu, 1, 100, 200, row.Flags);
    if (!row.Added) {
        EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
        EXPECT_EQ(GetMenuItemCount(menu), 2);
    } else {
        EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1));
        ASSERT_EQ(GetMenuItemCount(menu), 3);
        // Read as UTF-16, as Explorer reads it: the text is right whatever the system's
        // ANSI code page.
        wchar_t text[128] = {};
        GetMenuStringW(menu, 1, text, 128, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(text), LoadedText(IDS_MENU_ENTRY));
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoA(menu, 1, TRUE, &info));
        EXPECT_EQ(info.wID, 100u);
        EXPECT_EQ(info.fType, static_cast<UINT>(MFT_STRING));
        EXPECT_EQ(info.fState & (MFS_DISABLED | MFS_CHECKED | MFS_DEFAULT), 0u);
        EXPECT_EQ(info.hSubMenu, nullptr);
        EXPECT_EQ(GetMenuItemID(menu, 0), 1u);
        EXPECT_EQ(GetMenuItemID(menu, 2), 2u);
    }
    Destroy(extension);
    DestroyMenu(menu);
}

INSTANTIATE_TEST_SUITE_P(Flags, QueryContextMenuFlags,
                         testing::Values(MenuRow{"Normal", CMF_NORMAL, true},
                                         MenuRow{"DefaultOnly", CMF_DEFAULTONLY, false},
                                         MenuRow{"DefaultOnlyWithExplore",
                                                 CMF_DEFAULTONLY | CMF_EXPLORE, false},
                                         MenuRow{"Explore", CMF_EXPLORE, true},
                                         MenuRow{"VerbsOnly", CMF_VERBSONLY, true}),
                         RowLabel());

// Explorer gives each handler the offsets the ones before it claimed.
TEST(QueryContextMenu, AMenuThatCannotTakeTheEntryClaimsNoCommand) {
    HMENU gone = CreatePopupMenu();
    ASSERT_TRUE(DestroyMenu(gone));
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    const HRESULT hr = extension->QueryContextMenu(gone, 0, 7, 7, CMF_NORMAL);
    EXPECT_TRUE(FAILED(hr) || HRESULT_CODE(hr) == 0) << std::hex << hr;
    Destroy(extension);
}

// A caller with no id left gives a range that ends before it starts; the entry would take
// the id of another handler's entry, and choosing one would run the other.
TEST(QueryContextMenu, NoIdLeftInTheRangeAddsAndClaimsNothing) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 100, "another handler's");
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    EXPECT_EQ(extension->QueryContextMenu(menu, 0, 100, 99, CMF_NORMAL), 0);
    EXPECT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(extension->QueryContextMenu(menu, 0, 101, 101, CMF_NORMAL), 1);
    Destroy(extension);
    DestroyMenu(menu);
}

int packageLookups = 0;
bool PackageThere() {
    ++packageLookups;
    return true;
}

// While the packaged command is registered, Windows 11 shows it in this menu too. The package
// store is asked once for a burst of right-clicks, not once for each.
TEST(QueryContextMenu, AddsNothingWhileTheCommandPackageIsRegistered) {
    HMENU menu = CreatePopupMenu();
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    packageLookups = 0;
    SetPackageLookupForTests(PackageThere);
    EXPECT_EQ(extension->QueryContextMenu(menu, 0, 100, 200, CMF_NORMAL), 0);
    EXPECT_EQ(extension->QueryContextMenu(menu, 0, 100, 200, CMF_NORMAL), 0);
    EXPECT_EQ(GetMenuItemCount(menu), 0);
    EXPECT_EQ(packageLookups, 1);
    // The system's own answer here: Wine has no package store at all.
    SetPackageLookupForTests(nullptr);
    EXPECT_EQ(extension->QueryContextMenu(menu, 0, 100, 200, CMF_NORMAL), 1);
    Destroy(extension);
    DestroyMenu(menu);
}

// Asked again for the same menu, by the same object or by another one (a handler registered
// for files and for folders, both selected), the entry stays one with its first command; a
// new menu gets its own.
TEST(QueryContextMenu, AddsTheEntryOncePerMenu) {
    HMENU menu = CreatePopupMenu();
    HMENU next = CreatePopupMenu();
    SelectExtension* extension = CreateExtension();
    SelectExtension* other = CreateExtension();
    ASSERT_NE(extension, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(extension->QueryContextMenu(menu, 0, 7, 7, CMF_NORMAL), 1);
    EXPECT_EQ(extension->QueryContextMenu(menu, 0, 9, 9, CMF_NORMAL), 0);
    EXPECT_EQ(other->QueryContextMenu(menu, 1, 11, 11, CMF_NORMAL), 0);
    EXPECT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(GetMenuItemID(menu, 0), 7u);
    EXPECT_EQ(extension->QueryContextMenu(next, 0, 9, 9, CMF_NORMAL), 1);
    EXPECT_EQ(GetMenuItemID(next, 0), 9u);
    Destroy(other);
    Destroy(extension);
    DestroyMenu(next);
    DestroyMenu(menu);
}

// ----- GetCommandString -------------------------------------------------------------------

// The verb, or the help text, the answer, and how much of the buffer may be written.
struct StringRow {
    const char* label;
    UINT_PTR Command;
    UINT Type;
    UINT Room;
    HRESULT Result;
    // Characters written, terminator included; 0 when nothing may be written.
    UINT Written;
};

class CommandString : public testing::TestWithParam<StringRow> {};

TEST_P(CommandString, IsWrittenInTheAskedFormWithinTheBufferAndTerminated) {
    const StringRow& row = GetParam();
    const bool wide = (row.Type & GCS_UNICODE) != 0;
    const bool verb = (row.Type & ~GCS_UNICODE) == GCS_VERBA;
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    // Poisoned, one character beyond the given room included.
    unsigned char buffer[600];
    std::memset(buffer, 0xCC, sizeof buffer);
    UINT reserved = 0;
    EXPECT_EQ(extension->GetCommandString(row.Command, row.Type, &reserved,
                                          reinterpret_cast<LPSTR>(buffer), row.Room),
              row.Result);
    const std::size_t unit = wide ? sizeof(wchar_t) : 1;
    std::size_t untouchedFrom = row.Written * unit;
    if (row.Written > 0) {
        if (wide) {
            const std::wstring text = verb ? kMenuVerb : LoadedText(IDS_MENU_HELP);
            EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(buffer)),
                      text.substr(0, row.Written - 1));
        } else {
            const std::string text = Ansi(verb ? kMenuVerb : LoadedText(IDS_MENU_HELP));
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer)),
                      text.substr(0, row.Written - 1));
        }
    }
    for (std::size_t at = untouchedFrom; at < sizeof buffer; ++at)
        ASSERT_EQ(buffer[at], 0xCC) << "byte " << at << " was written";
    Destroy(extension);
}

// The verb's and the help text's lengths with their terminators, the help text in UTF-16 and
// in the ANSI code page.
const UINT kVerbRoom = static_cast<UINT>(std::wcslen(kMenuVerb) + 1);
const UINT kHelpRoom = static_cast<UINT>(LoadedText(IDS_MENU_HELP).size() + 1);
const UINT kAnsiHelpRoom = static_cast<UINT>(Ansi(LoadedText(IDS_MENU_HELP)).size() + 1);

INSTANTIATE_TEST_SUITE_P(
    Requests, CommandString,
    testing::Values(StringRow{"WideWholeText", 0, GCS_HELPTEXTW, 260, S_OK, kHelpRoom},
                    StringRow{"WideExactRoom", 0, GCS_HELPTEXTW, kHelpRoom, S_OK, kHelpRoom},
                    StringRow{"WideCut", 0, GCS_HELPTEXTW, 5, S_OK, 5},
                    StringRow{"WideRoomForTheTerminatorOnly", 0, GCS_HELPTEXTW, 1, S_OK, 1},
                    StringRow{"AnsiWholeText", 0, GCS_HELPTEXTA, 260, S_OK, kAnsiHelpRoom},
                    StringRow{"AnsiExactRoom", 0, GCS_HELPTEXTA, kAnsiHelpRoom, S_OK,
                              kAnsiHelpRoom},
                    // Every character is two bytes: 9 bytes of room hold 4 of them.
                    StringRow{"AnsiCutAtAWholeCharacter", 0, GCS_HELPTEXTA, 10, S_OK, 9},
                    StringRow{"NoRoom", 0, GCS_HELPTEXTW, 0, S_OK, 0},
                    // The verb; the help text used to come back for it.
                    StringRow{"AnsiVerb", 0, GCS_VERBA, 260, S_OK, kVerbRoom},
                    StringRow{"WideVerb", 0, GCS_VERBW, 260, S_OK, kVerbRoom},
                    StringRow{"WideVerbExactRoom", 0, GCS_VERBW, kVerbRoom, S_OK, kVerbRoom},
                    // Validation answers without writing.
                    StringRow{"ValidateOwn", 0, GCS_VALIDATEA, 260, S_OK, 0},
                    StringRow{"ValidateOwnWide", 0, GCS_VALIDATEW, 260, S_OK, 0},
                    StringRow{"ValidateOther", 1, GCS_VALIDATEA, 260, S_FALSE, 0},
                    StringRow{"ValidateOtherWide", 1, GCS_VALIDATEW, 260, S_FALSE, 0},
                    // Requests it does not serve, and commands that are not its own.
                    StringRow{"VerbIcon", 0, GCS_VERBICONW, 260, E_NOTIMPL, 0},
                    StringRow{"UnknownType", 0, 0x33, 260, E_NOTIMPL, 0},
                    StringRow{"OtherCommand", 1, GCS_HELPTEXTW, 260, E_INVALIDARG, 0},
                    StringRow{"OtherCommandAnsi", 1, GCS_HELPTEXTA, 260, E_INVALIDARG, 0},
                    StringRow{"OtherCommandVerb", 1, GCS_VERBW, 260, E_INVALIDARG, 0}),
    RowLabel());

TEST(GetCommandString, MissingBufferIsLeftAlone) {
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    EXPECT_EQ(extension->GetCommandString(0, GCS_VALIDATEA, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(extension->GetCommandString(0, GCS_HELPTEXTW, nullptr, nullptr, 260), S_OK);
    Destroy(extension);
}

// ----- IObjectWithSite ----------------------------------------------------------------------

TEST(Site, IsKeptAnsweredReplacedAndReleasedAtTheEnd) {
    SelectExtension* extension = CreateExtension();
    ASSERT_NE(extension, nullptr);
    IObjectWithSite* withSite = nullptr;
    ASSERT_EQ(extension->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite)),
              S_OK);
    void* answered = kPoison;
    EXPECT_EQ(withSite->GetSite(IID_IUnknown, &answered), E_FAIL);
    EXPECT_EQ(answered, nullptr);

    // Any object serves as a site here; its count shows the references taken and given back.
    FakeDataObject first(FakeDataObject::Fails);
    FakeDataObject second(FakeDataObject::Fails);
    EXPECT_EQ(withSite->SetSite(&first), S_OK);
    EXPECT_EQ(first.References(), 2u);
    ASSERT_EQ(withSite->GetSite(IID_IDataObject, &answered), S_OK);
    EXPECT_EQ(answered, static_cast<IDataObject*>(&first));
    static_cast<IDataObject*>(answered)->Release();
    answered = kPoison;
    EXPECT_EQ(withSite->GetSite(IID_IContextMenu, &answered), E_NOINTERFACE);
    EXPECT_EQ(answered, nullptr);

    EXPECT_EQ(withSite->SetSite(&second), S_OK);
    EXPECT_EQ(first.References(), 1u);
    EXPECT_EQ(second.References(), 2u);
    EXPECT_EQ(withSite->SetSite(nullptr), S_OK);
    EXPECT_EQ(second.References(), 1u);
    EXPECT_EQ(withSite->GetSite(IID_IUnknown, &answered), E_FAIL);

    EXPECT_EQ(withSite->SetSite(&first), S_OK);
    withSite->Release();
    Destroy(extension);
    EXPECT_EQ(first.References(), 1u);
}

// ----- InvokeCommand ----------------------------------------------------------------------

// The inner windows of a folder window: a folder view with or without the levels below it.
const std::vector<std::string> kNoFolderView = {"SysListView32"};
const std::vector<std::string> kFolderViewWithListView = {"SHELLDLL_DefView/SysListView32"};
const std::vector<std::string> kDirectUIWithoutDirectUIHWND = {
    "SHELLDLL_DefView/DUIViewWndClassName", "SHELLDLL_DefView/SysListView32"};
const char kListView[] = "SHELLDLL_DefView/SysListView32";

class InvokeCommandTest : public testing::Test {
protected:
    void SetUp() override {
        // The dialog template comes from this program, which carries the DLL's resources.
        ModuleInstance = GetModuleHandleA(nullptr);
        extension_ = CreateExtension();
        ASSERT_NE(extension_, nullptr);
    }
    void TearDown() override {
        if (extension_ != nullptr)
            Destroy(extension_);
    }

    // InvokeCommand from the owner window with the verb, command offset 0 by default.
    HRESULT Invoke(HWND owner, LPCSTR verb = MAKEINTRESOURCEA(0)) {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.hwnd = owner;
        info.lpVerb = verb;
        info.nShow = SW_SHOWNORMAL;
        return extension_->InvokeCommand(&info);
    }

    // No run wrote the settings.
    void ExpectNoRunLeft() const { EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey)); }

    SelectExtension* extension_ = nullptr;
    // No run may write the settings of the user running the tests.
    RegistryKeyGuard settings_{HKEY_CURRENT_USER, kSettingsKey};
};

// No command information at all, or a window without a folder view: the command ends at
// once, silently.
TEST_F(InvokeCommandTest, EndsSilentlyWithoutCommandInformationOrFolderView) {
    WindowTree otherWindow(kNoFolderView);
    MessageBoxCatcher catcher(IDCANCEL);
    EXPECT_EQ(extension_->InvokeCommand(nullptr), E_INVALIDARG);
    EXPECT_EQ(Invoke(otherWindow.Top()), S_OK);
    EXPECT_TRUE(catcher.Boxes().empty());
    ExpectNoRunLeft();
}

// A verb as the shell hands it over: in the ANSI field, or, from Explorer, in a
// CMINVOKECOMMANDINFOEX with CMIC_MASK_UNICODE, in both fields. The entry's own verb (in any
// case) or offset 0 runs the command; another handler's verb or offset is answered E_FAIL,
// which lets the shell offer it to the other handlers. (It was answered S_OK, and so dropped.)
struct VerbRow {
    const char* label;
    // The size the caller gives: the plain record or the EX one.
    bool Ex;
    DWORD Mask;
    LPCSTR Verb;
    LPCWSTR WideVerb;
    bool Runs;
};

class InvokeCommandVerbs : public InvokeCommandTest, public testing::WithParamInterface<VerbRow> {};

const char kOwnVerbOtherCase[] = "vestraneSELECTbyWILDCARD";

TEST_P(InvokeCommandVerbs, RunsTheEntryOnlyForItsOwnVerbOrOffset) {
    const VerbRow& row = GetParam();
    WindowTree folderWindow(kFolderViewWithListView);
    int dialogs = 0;
    ModalDriver cancel([&](HWND dialog) {
        ++dialogs;
        ClickButton(dialog, IDCANCEL);
    });
    CMINVOKECOMMANDINFOEX info = {};
    info.cbSize = row.Ex ? sizeof info : sizeof(CMINVOKECOMMANDINFO);
    info.fMask = row.Mask;
    info.hwnd = folderWindow.Top();
    info.lpVerb = row.Verb;
    info.lpVerbW = row.WideVerb;
    info.nShow = SW_SHOWNORMAL;
    EXPECT_EQ(extension_->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)),
              row.Runs ? S_OK : E_FAIL);
    EXPECT_EQ(dialogs, row.Runs ? 1 : 0);
    ExpectNoRunLeft();
}

// The verb as Explorer's wide field holds it, and in its ANSI form.
const std::wstring kWideOwnVerb = kMenuVerb;
const std::string kAnsiOwnVerb = Ansi(kMenuVerb);

INSTANTIATE_TEST_SUITE_P(
    Verbs, InvokeCommandVerbs,
    testing::Values(
        VerbRow{"Offset0", false, 0, MAKEINTRESOURCEA(0), nullptr, true},
        VerbRow{"Offset1", false, 0, MAKEINTRESOURCEA(1), nullptr, false},
        VerbRow{"Offset2", false, 0, MAKEINTRESOURCEA(2), nullptr, false},
        VerbRow{"AnsiOwn", false, 0, kAnsiOwnVerb.c_str(), nullptr, true},
        VerbRow{"AnsiOwnOtherCase", false, 0, kOwnVerbOtherCase, nullptr, true},
        VerbRow{"AnsiForeign", false, 0, "open", nullptr, false},
        VerbRow{"AnsiLongerThanOwn", false, 0, "VestraneSelectByWildcards", nullptr, false},
        VerbRow{"ExplorerOffset0", true, CMIC_MASK_UNICODE, MAKEINTRESOURCEA(0),
                MAKEINTRESOURCEW(0), true},
        VerbRow{"ExplorerOffset1", true, CMIC_MASK_UNICODE, MAKEINTRESOURCEA(1),
                MAKEINTRESOURCEW(1), false},
        VerbRow{"WideOwn", true, CMIC_MASK_UNICODE, kAnsiOwnVerb.c_str(), kWideOwnVerb.c_str(),
                true},
        VerbRow{"WideForeign", true, CMIC_MASK_UNICODE, "open", L"open", false},
        // The wide field counts when the mask says so: an ANSI form that best fit spoiled
        // does not hide it.
        VerbRow{"WideOwnAnsiSpoiled", true, CMIC_MASK_UNICODE, "?", kWideOwnVerb.c_str(), true},
        VerbRow{"WideForeignAnsiOwn", true, CMIC_MASK_UNICODE, kAnsiOwnVerb.c_str(), L"open",
                false},
        // Without the mask, or with a size that does not cover it, the wide field is not read.
        VerbRow{"WideWithoutTheMask", true, 0, "open", kWideOwnVerb.c_str(), false},
        VerbRow{"WideBeyondTheGivenSize", false, CMIC_MASK_UNICODE, "open", kWideOwnVerb.c_str(),
                false}),
    RowLabel());

TEST_F(InvokeCommandTest, FolderViewWithoutReachableListViewSaysSo) {
    WindowTree frame(kDirectUIWithoutDirectUIHWND);
    MessageBoxCatcher catcher(IDOK);
    EXPECT_EQ(Invoke(frame.Top()), S_OK);
    ASSERT_EQ(catcher.Boxes().size(), 1u);
    const CapturedMessageBox& box = catcher.Boxes()[0];
    EXPECT_EQ(box.Caption, "Error");
    EXPECT_EQ(box.Owner, frame.Top());
    EXPECT_EQ(box.Text, "エクスプローラのウインドウが検索できません。");
    ExpectNoRunLeft();
}

// The site hands out a view of another folder than the clicked file's, over a window whose
// list view shows that other folder (the search window and the tree of the Explorer of
// Windows XP hand over such a pair). The list view's labels behind the clicked file's folder
// would name files the user never saw: the command ends with a message and touches nothing.
TEST_F(InvokeCommandTest, AViewOfAnotherFolderEndsTheCommandWithAMessage) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        ScratchFolder folder("vestrane-other-view");
        ASSERT_TRUE(folder.AddFolder("shown") && folder.AddFolder("clicked"));
        ASSERT_TRUE(folder.WriteFile("shown\\a.txt") && folder.WriteFile("clicked\\a.txt"));
        ShellViewHost shown(folder / "shown");
        ASSERT_TRUE(shown.Valid());
        ServiceSite site;
        site.FolderView = shown.View().Items();
        EXPECT_EQ(extension_->SetSite(&site), S_OK);
        FakeDataObject data(FakeDataObject::Paths, {Wide(folder / "clicked\\a.txt")});
        EXPECT_EQ(extension_->Initialize(nullptr, &data, nullptr), S_OK);
        MessageBoxCatcher catcher(IDOK);
        EXPECT_EQ(Invoke(shown.Host()), S_OK);
        EXPECT_EQ(extension_->SetSite(nullptr), S_OK);
        ASSERT_EQ(catcher.Boxes().size(), 1u);
        EXPECT_EQ(catcher.Boxes()[0].Caption, "Error");
        EXPECT_EQ(catcher.Boxes()[0].Owner, shown.Host());
        EXPECT_TRUE(SelectedLabels(shown.ListView()).empty());
        EXPECT_EQ(site.HeldByOthers(), 0);
        ExpectNoRunLeft();
        // Before the data object it holds goes.
        Destroy(extension_);
        extension_ = nullptr;
    }
    OleUninitialize();
}

TEST_F(InvokeCommandTest, CancelledDialogChangesNothingAndFreesTheHistory) {
    WindowTree frame(kFolderViewWithListView);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.pszText = const_cast<char*>("a.txt");
    item.state = LVIS_SELECTED;
    item.stateMask = LVIS_SELECTED;
    SendMessageA(frame.At(kListView), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iItem = 1;
    item.pszText = const_cast<char*>("b.doc");
    item.state = 0;
    SendMessageA(frame.At(kListView), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));

    FakeDataObject data(FakeDataObject::Paths, {L"C:\\dir\\b.doc"});
    ASSERT_EQ(extension_->Initialize(nullptr, &data, nullptr), S_OK);
    // The run's dialog starts with what Initialize derived.
    std::vector<std::string> lines;
    ModalDriver cancel([&](HWND dialog) {
        lines.push_back(WindowText(GetDlgItem(dialog, IDC_PATTERN_COMBO)));
        ClickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(Invoke(frame.Top()), S_OK);
    EXPECT_EQ(lines, std::vector<std::string>{"*.doc"});
    EXPECT_EQ(SelectedLabels(frame.At(kListView)), std::vector<std::string>{"a.txt"});
    ExpectNoRunLeft();
}

void AddLabel(HWND listView, const std::string& label) {
    const std::wstring text = Wide(label);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

// The folder changes while the dialog is open and has read every name for its count: a.txt is
// deleted and z.doc created, so the item count stays 5 and every later item moves up by one.
// What is selected and put on the clipboard is what the line selects as the folder stands at
// OK, through the view and through the list view. (The names read for the count were used by
// the pass: z.doc, or b.doc, d.doc and z.doc with the deleted a.txt, were selected.)
class ChangedFolder : public InvokeCommandTest, public testing::WithParamInterface<bool> {};

TEST_P(ChangedFolder, IsSelectedAndActedOnAsItStandsAtOk) {
    const bool throughView = GetParam();
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        ScratchFolder folder("vestrane-changing");
        const std::vector<std::string> before = {"a.txt", "b.doc", "c.txt", "d.doc", "e.txt"};
        for (const std::string& name : before)
            ASSERT_TRUE(folder.WriteFile(name));
        WindowTree frame(kFolderViewWithListView);
        ShellViewHost shown(folder.Path());
        ASSERT_TRUE(shown.Valid());
        ServiceSite site;
        site.FolderView = shown.View().Items();
        HWND listView = throughView ? shown.ListView() : frame.At(kListView);
        if (throughView) {
            EXPECT_EQ(extension_->SetSite(&site), S_OK);
        } else {
            for (const std::string& name : before)
                AddLabel(listView, name);
        }
        FakeDataObject data(FakeDataObject::Paths, {Wide(folder / "b.doc")});
        ASSERT_EQ(extension_->Initialize(nullptr, &data, nullptr), S_OK);
        const auto pumpUntil = [](const std::function<bool()>& done) {
            for (const DWORD start = GetTickCount(); !done() && GetTickCount() - start < 10000;) {
                MSG message;
                if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageW(&message);
                else
                    Sleep(1);
            }
            return done();
        };
        bool changed = false;
        ModalDriver driver([&](HWND dialog) {
            wchar_t format[kMessageRoom];
            LoadText(ModuleInstance, IDS_MATCH_COUNT, format, kMessageRoom);
            wchar_t counted[kMessageRoom];
            FormText(counted, format, {L"2", L"5"});
            pumpUntil([&] { return WindowTextW(GetDlgItem(dialog, IDC_MATCH_COUNT)) == counted; });
            DeleteFileW((folder / L"a.txt").c_str());
            folder.WriteFile("z.doc");
            if (throughView) {
                // As a view does on the shell's notice of a change.
                shown.View().View()->Refresh();
            } else {
                SendMessageW(listView, LVM_DELETEITEM, 0, 0);
                AddLabel(listView, "z.doc");
            }
            changed = pumpUntil([&] {
                return ListViewLabelW(listView, 0).rfind(L"b", 0) == 0 &&
                       ListViewLabelsW(listView).size() == 5;
            });
            SetDlgItemTextW(dialog, IDC_PATTERN_COMBO, L"*.txt");
            ClickButton(dialog, IDC_CLIPBOARD_COPY);
            ClickButton(dialog, IDOK);
        });
        EXPECT_EQ(Invoke(throughView ? shown.Host() : frame.Top()), S_OK);
        ASSERT_TRUE(changed) << "the window never showed the changed folder";
        EXPECT_EQ(
            SelectedLabelsW(listView),
            (std::vector<std::wstring>{ListViewLabelW(listView, 1), ListViewLabelW(listView, 3)}));
        EXPECT_EQ(ClipboardDropPaths(),
                  (std::vector<std::wstring>{folder / L"c.txt", folder / L"e.txt"}));
        EXPECT_EQ(extension_->SetSite(nullptr), S_OK);
        Destroy(extension_);
        extension_ = nullptr;
    }
    OleUninitialize();
}

// Through the view (true), through the list view (false).
INSTANTIATE_TEST_SUITE_P(Windows, ChangedFolder, testing::Bool());

} // namespace
