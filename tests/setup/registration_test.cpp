// Installation and removal against the test prefix's real registry and file system.
#include "setup/registration.h"

#include <gtest/gtest.h>

#include "common/registry_entries.h"
#include "setup/folder_safety.h"
#include "setup/key_snapshot.h"
#include "setup/menu_package.h"
#include "setup/setup_state.h"
#include "setup/system_facts.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/row_label.h"
#include "tests/support/scratch_folder.h"

namespace {

class RegistrationTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        folder_->WriteFile("Vestinst.exe", "MZ program");
        lstrcpyW(ProgramPath, Wide(program_).c_str());
        lstrcpyW(DllPath, Wide(dll_).c_str());
    }

    void Install() {
        WindowScript script({Press(IDYES)});
        ASSERT_EQ(InstallExtension(GetDesktopWindow()), Registered);
        ASSERT_EQ(script.Seen().size(), 1u);
    }
};

void ExpectString(HKEY root, const std::wstring& key, const wchar_t* name,
                  const std::string& text) {
    const StoredValue value = ReadStoredValue(root, key, name);
    ASSERT_TRUE(value.Exists) << Utf8(key) << " " << (name ? Utf8(name) : "(default)");
    EXPECT_EQ(value.Type, static_cast<DWORD>(REG_SZ)) << Utf8(key);
    // The size counts the terminator.
    EXPECT_EQ(value.Data, WithTerminator(text)) << Utf8(key);
}
void ExpectString(HKEY root, const std::wstring& key, const wchar_t* name,
                  const std::wstring& text) {
    ExpectString(root, key, name, Utf8(text));
}

// The product version of this program's version block, which carries the setup program's.
std::string ProgramVersion() {
    char path[MAX_PATH] = {};
    char text[32] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string block(GetFileVersionInfoSizeA(path, nullptr) + 1, '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data()) &&
        VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
        wsprintfA(text, "%u.%u.%u.%u", HIWORD(fixed->dwProductVersionMS),
                  LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                  LOWORD(fixed->dwProductVersionLS));
    return text;
}

// The program of 3,000 bytes, the DLL's 10 and the notes' 2,000 take 5 KB.
void PlaceFilesOfFiveKilobytes(ScratchFolder& folder) {
    ASSERT_TRUE(folder.WriteFile("Vestinst.exe", std::string(3000, 'p')));
    ASSERT_TRUE(folder.WriteFile("Vestrane.txt", std::string(2000, 't')));
}

void ExpectEveryEntry(const std::string& program, const std::string& dll) {
    ExpectString(HKEY_CLASSES_ROOT, kClassKey, nullptr, kProductName);
    ExpectString(HKEY_CLASSES_ROOT, kServerKey, nullptr, dll);
    ExpectString(HKEY_CLASSES_ROOT, kServerKey, L"ThreadingModel", "Apartment");
    ExpectString(HKEY_CLASSES_ROOT, kHandlerKey, nullptr, kClassIdText);
    ExpectString(HKEY_CLASSES_ROOT, kFolderHandlerKey, nullptr, kClassIdText);
    ExpectString(HKEY_CLASSES_ROOT, kBackgroundHandlerKey, nullptr, kClassIdText);
    ExpectString(HKEY_LOCAL_MACHINE, kApprovedKey, kClassIdText, kProductName);
    ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", kProductName);
    ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", "\"" + program + "\" u");
    ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString",
                 "\"" + program + "\" u /quiet");
    ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", ProgramVersion());
    ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher", kPublisherName);
    ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon", dll);
    const StoredValue size = ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize");
    EXPECT_EQ(size.Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size.Data, DwordBytes(5));
}

TEST_F(RegistrationTest, InstallAsksThenWritesEveryEntryExactly) {
    PlaceFilesOfFiveKilobytes(*folder_);
    WindowScript script({Press(IDYES)});
    EXPECT_EQ(InstallExtension(GetDesktopWindow()), Registered);

    ASSERT_EQ(script.Seen().size(), 1u);
    ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE, IDS_INSTALL_QUESTION);
    ExpectEveryEntry(program_, dll_);
    // Installation leaves the settings to the dialog.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(RegistrationTest, InstallDeclinedWritesNothing) {
    WindowScript script({Press(IDNO)});
    EXPECT_EQ(InstallExtension(GetDesktopWindow()), RegistrationDeclined);
    ASSERT_EQ(script.Seen().size(), 1u);
    ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE, IDS_INSTALL_QUESTION);
    ExpectNoRegistration();
}

// Explorer loads the DLL into every user's session: a DLL that others could replace is named
// with the folder to blame, and only a Yes (not the default) registers it. Others may replace
// it when they may write its folder, or any folder above it (whoever may rename a folder on
// the path and make a new one puts another DLL in place), or when it lies inside a user
// profile (the user's own unelevated programs may change it, and it runs inside the user's
// elevated ones).
enum class UnsafePlace { Folder, Parent, Profile };
struct UnsafeRow {
    const char* label;
    UnsafePlace Place;
};
class UnsafeFolderTest : public RegistrationTest,
                         public ::testing::WithParamInterface<UnsafeRow> {};

TEST_P(UnsafeFolderTest, IsNamedAndRegisteredOnlyAfterAYes) {
    std::unique_ptr<ScratchFolder> profile;
    std::string named = folder_->Path();
    switch (GetParam().Place) {
    case UnsafePlace::Folder:
        ASSERT_TRUE(LetEveryoneWrite(folder_->Path()));
        break;
    case UnsafePlace::Parent:
        // The DLL's own folder is the owner's alone; the one above it is everyone's.
        ASSERT_TRUE(folder_->AddFolder("Vestrane"));
        ASSERT_TRUE(folder_->WriteFile("Vestrane\\Vestrane.dll", "MZ library"));
        lstrcpyW(DllPath, Wide(*folder_ / "Vestrane\\Vestrane.dll").c_str());
        ASSERT_TRUE(LetEveryoneWrite(folder_->Path()));
        break;
    case UnsafePlace::Profile:
        // The temporary folder lies in the profile of the user who runs the tests.
        profile = std::make_unique<ScratchFolder>("Vest profile");
        ASSERT_TRUE(profile->WriteFile("Vestrane.dll", "MZ library"));
        lstrcpyW(DllPath, Wide(*profile / "Vestrane.dll").c_str());
        named = profile->Path();
        break;
    }
    WindowScript script({Press(IDYES), Press(IDNO)});
    EXPECT_EQ(InstallExtension(GetDesktopWindow()), RegistrationDeclined);
    ASSERT_EQ(script.Seen().size(), 2u);
    wchar_t recommended[MAX_PATH];
    RecommendedFolder(recommended);
    ExpectMessageBox(script.Seen()[1], IDS_CAPTION_VESTRANE,
                     Formed(IDS_UNSAFE_FOLDER_QUESTION, Wide(named), recommended));
    EXPECT_EQ(script.Seen()[1].DefaultButton, IDNO);
    ExpectNoRegistration();
}

INSTANTIATE_TEST_SUITE_P(Places, UnsafeFolderTest,
                         ::testing::Values(UnsafeRow{"Folder", UnsafePlace::Folder},
                                           UnsafeRow{"Parent", UnsafePlace::Parent},
                                           UnsafeRow{"Profile", UnsafePlace::Profile}),
                         RowLabel());

TEST_F(RegistrationTest, DllOthersMayWriteIsRegisteredAfterAYes) {
    ASSERT_TRUE(LetEveryoneWrite(dll_));
    WindowScript script({Press(IDYES), Press(IDYES)});
    EXPECT_EQ(InstallExtension(GetDesktopWindow()), Registered);
    ASSERT_EQ(script.Seen().size(), 2u);
    ExpectString(HKEY_CLASSES_ROOT, kServerKey, nullptr, dll_);
}

TEST_F(RegistrationTest, InstallOverAnExistingRegistrationOverwritesSilently) {
    StoreRegistration("C:\\Elsewhere\\Vestrane.dll");
    Install();
    ExpectString(HKEY_CLASSES_ROOT, kServerKey, nullptr, dll_);
}

// When each key of the registration but the handlers' was last written.
std::vector<ULONGLONG> LastWritten() {
    std::vector<ULONGLONG> times;
    for (const std::wstring& path :
         {kClassKey, kServerKey, kFolderHandlerKey, std::wstring(kApprovedKey), kUninstallKey}) {
        HKEY key = nullptr;
        FILETIME time = {};
        RegOpenKeyExW(path.rfind(L"SOFTWARE", 0) == 0 ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT,
                      path.c_str(), 0, KEY_QUERY_VALUE, &key);
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, &time);
        RegCloseKey(key);
        times.push_back((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    }
    return times;
}

// Run again on an installed system, the program writes back the entries that are missing or
// differ, after the folder check; with every entry in place it writes and asks nothing, even
// in a folder that others may change.
TEST_F(RegistrationTest, RepairWritesBackWhatIsMissingOrDiffersAfterTheFolderCheck) {
    PlaceFilesOfFiveKilobytes(*folder_);
    Install();
    ASSERT_TRUE(LetEveryoneWrite(folder_->Path()));
    const std::vector<ULONGLONG> before = LastWritten();
    Sleep(20);
    {
        WindowScript none({});
        EXPECT_EQ(RepairRegistration(GetDesktopWindow()), Registered);
    }
    EXPECT_EQ(LastWritten(), before);

    DeleteKeyTree(HKEY_CLASSES_ROOT, kHandlerKey);
    DeleteKeyTree(HKEY_CLASSES_ROOT, kBackgroundHandlerKey);
    ASSERT_TRUE(WriteRegistryString(HKEY_CLASSES_ROOT, kServerKey, L"ThreadingModel", "Free"));
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", "5"));
    for (const int answer : {IDNO, IDYES}) {
        WindowScript script({Press(answer)});
        EXPECT_EQ(RepairRegistration(GetDesktopWindow()),
                  answer == IDYES ? Registered : RegistrationDeclined);
        EXPECT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(KeyExists(HKEY_CLASSES_ROOT, kHandlerKey), answer == IDYES);
    }
    ExpectEveryEntry(program_, dll_);
}

// A key that did not exist goes back together with the keys above it that creating it made,
// and never takes a key that stood before, empty as it may be.
TEST(RegistrationSnapshot, PutBackTakesAwayTheParentsTheRunCreated) {
    const std::wstring stood = L"Software\\VestraneSnapshotTest";
    RegistryKeyGuard guard(HKEY_CURRENT_USER, stood);
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, stood, L"", ""));
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, stood.c_str(), L""), ERROR_SUCCESS);
    KeySnapshot snapshot;
    ASSERT_TRUE(snapshot.Take(HKEY_CURRENT_USER, (stood + L"\\Made\\Below\\Key").c_str()));
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, stood + L"\\Made\\Below\\Key", L"", "x"));
    EXPECT_TRUE(snapshot.PutBack());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, stood + L"\\Made"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, stood));
}

// The first key that cannot be written stops the installation: the message names it, and
// every key written before it is taken back.
TEST_F(RegistrationTest, InstallWithoutRightsOnAKeyNamesItAndTakesBackWhatItWrote) {
    const struct {
        HKEY Root;
        const std::wstring& Key;
    } unwritable[] = {{HKEY_CLASSES_ROOT, kClassKey},
                      {HKEY_CLASSES_ROOT, kHandlerKey},
                      {HKEY_CLASSES_ROOT, kBackgroundHandlerKey},
                      {HKEY_LOCAL_MACHINE, kUninstallKey}};
    for (const auto& key : unwritable) {
        SCOPED_TRACE(Utf8(key.Key));
        UncreatableKey blocked(key.Root, key.Key);
        ASSERT_TRUE(blocked.Made());
        WindowScript script({Press(IDYES), Press(IDOK)});
        EXPECT_EQ(InstallExtension(GetDesktopWindow()), RegistrationFailed);
        ASSERT_EQ(script.Seen().size(), 2u);
        ExpectMessageBox(script.Seen()[1], IDS_CAPTION_ERROR,
                         KeyFailure(IDS_CANNOT_INSTALL, key.Root, key.Key));
        ExpectNoRegistration();
    }
}

TEST_F(RegistrationTest, FailedInstallOverAnExistingRegistrationPutsItBack) {
    StoreRegistration("C:\\Elsewhere\\Vestrane.dll");
    UncreatableKey handler(HKEY_CLASSES_ROOT, kHandlerKey);
    ASSERT_TRUE(handler.Made());
    WindowScript script({Press(IDYES), Press(IDOK)});
    EXPECT_EQ(InstallExtension(GetDesktopWindow()), RegistrationFailed);
    ASSERT_EQ(script.Seen().size(), 2u);
    ExpectMessageBox(script.Seen()[1], IDS_CAPTION_ERROR,
                     KeyFailure(IDS_CANNOT_INSTALL, HKEY_CLASSES_ROOT, kHandlerKey));
    ExpectString(HKEY_CLASSES_ROOT, kServerKey, nullptr, "C:\\Elsewhere\\Vestrane.dll");
    EXPECT_EQ(RegistryValueNames(HKEY_CLASSES_ROOT, kServerKey), std::vector<std::wstring>{L""});
    EXPECT_TRUE(RegistryValueNames(HKEY_CLASSES_ROOT, kClassKey).empty());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(RegistrationTest, RemovalDeletesEveryEntryButKeepsTheSettingsParent) {
    Install();
    StoreSettings(5, 1);
    folder_->WriteFile("Vestrane.txt", "read me");

    ExpectOneMessageBox(UninstallExtension, IDS_CAPTION_VESTRANE, IDS_UNINSTALLED);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
    ExpectNoRegistration();
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kHandlerParent));
    // The approved extensions' key is Windows': only the class's value goes.
    EXPECT_FALSE(ReadStoredValue(HKEY_LOCAL_MACHINE, kApprovedKey, kClassIdText).Exists);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kApprovedKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettingsParent));
    // Nothing holds the files: they go at once.
    EXPECT_FALSE(FileExists(*folder_ / "Vestrane.txt"));
    EXPECT_FALSE(FileExists(program_));
    EXPECT_FALSE(FileExists(dll_));
}

TEST_F(RegistrationTest, RemovalKeepsWhatElseLivesUnderTheSettingsParent) {
    Install();
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Nembrok\\Other", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    WindowScript script({Press(IDOK)});
    UninstallExtension();
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Nembrok\\Other"));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Nembrok\\Other");
}

TEST_F(RegistrationTest, RemovalWithoutInprocServerRemovesNothing) {
    Install();
    StoreSettings(1, 0);
    folder_->WriteFile("Vestrane.txt", "read me");
    ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, kServerKey.c_str()), ERROR_SUCCESS);
    const auto pendingBefore = PendingRenames();

    ExpectOneMessageBox([] { EXPECT_FALSE(UninstallExtension()); }, IDS_CAPTION_ERROR,
                        KeyFailure(IDS_CANNOT_UNINSTALL, HKEY_CLASSES_ROOT, kServerKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kFolderHandlerKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kBackgroundHandlerKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_TRUE(FileExists(*folder_ / "Vestrane.txt"));
    EXPECT_EQ(PendingRenames(), pendingBefore);
    // On Windows 11 the removal took the package away first, and the registry put back does
    // not bring it back.
    OverrideWindowsBuild(kFirstWindows11Build);
    FakeMenuPackages packages(false);
    ExpectOneMessageBox([] { EXPECT_FALSE(UninstallExtension()); }, IDS_CAPTION_ERROR,
                        Formed(IDS_CANNOT_UNINSTALL, L"HKEY_CLASSES_ROOT\\" + kServerKey,
                               Formed(IDS_REGISTRY_PUT_BACK_MENU_GONE)));
}

TEST_F(RegistrationTest, RemovalThatCannotDeleteAKeyPutsBackWhatItDeleted) {
    Install();
    StoreSettings(5, 1);
    folder_->WriteFile("Vestrane.txt", "read me");
    // A key with a subkey of its own cannot be deleted.
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey + L"\\Other", L"", "x"));
    const auto pendingBefore = PendingRenames();

    ExpectOneMessageBox([] { EXPECT_FALSE(UninstallExtension()); }, IDS_CAPTION_ERROR,
                        KeyFailure(IDS_CANNOT_UNINSTALL, HKEY_LOCAL_MACHINE, kUninstallKey));
    ExpectString(HKEY_CLASSES_ROOT, kClassKey, nullptr, kProductName);
    ExpectString(HKEY_CLASSES_ROOT, kServerKey, L"ThreadingModel", "Apartment");
    ExpectString(HKEY_CLASSES_ROOT, kHandlerKey, nullptr, kClassIdText);
    ExpectString(HKEY_CLASSES_ROOT, kFolderHandlerKey, nullptr, kClassIdText);
    ExpectString(HKEY_CLASSES_ROOT, kBackgroundHandlerKey, nullptr, kClassIdText);
    ExpectStoredSettings(5, 1);
    EXPECT_TRUE(FileExists(*folder_ / "Vestrane.txt"));
    EXPECT_EQ(PendingRenames(), pendingBefore);
}

TEST_F(RegistrationTest, RemovalWhereNothingWasInstalledStillDeletesAndReports) {
    OverridePlatformId(VER_PLATFORM_WIN32_NT);
    const auto pendingBefore = PendingRenames();
    WindowScript script({Press(IDOK)});
    EXPECT_TRUE(UninstallExtension());
    ASSERT_EQ(script.Seen().size(), 1u);
    ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE, IDS_UNINSTALLED);
    EXPECT_FALSE(FileExists(program_));
    EXPECT_FALSE(FileExists(dll_));
    EXPECT_EQ(PendingRenames(), pendingBefore);
    EXPECT_FALSE(FileExists(WininitPath()));
}

// The other platform family: entries of WININIT.INI's "Rename" section.
class WininitRemovalTest : public RegistrationTest {
protected:
    void SetUp() override {
        RegistrationTest::SetUp();
        if (HasFatalFailure())
            return;
        OverridePlatformId(VER_PLATFORM_WIN32_WINDOWS);
        DeleteFileA(WininitPath().c_str());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, WininitPath().c_str());
    }

    static std::string ShortPath(const std::string& path) {
        char shortPath[MAX_PATH] = {};
        GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
        return shortPath;
    }

    static void WriteWininit(const std::string& text) {
        HANDLE file = CreateFileA(WininitPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, WininitPath().c_str());
    }

    // The section's entries, each with its NUL.
    static std::string RenameSection() {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, WininitPath().c_str());
        std::string buffer(65536, '\0');
        const DWORD read = GetPrivateProfileSectionA(
            "Rename", buffer.data(), static_cast<DWORD>(buffer.size()), WininitPath().c_str());
        return buffer.substr(0, read);
    }

    void Remove() {
        WindowScript script({Press(IDOK)});
        EXPECT_TRUE(UninstallExtension());
        ASSERT_EQ(script.Seen().size(), 1u);
        ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE, IDS_UNINSTALLED);
    }

    std::string NewEntries() const {
        return "Nul=" + ShortPath(program_) + '\0' + "Nul=" + ShortPath(dll_) + '\0';
    }
};

TEST_F(WininitRemovalTest, MissingFileGetsASectionOfExactlyTheTwoEntries) {
    const auto pendingBefore = PendingRenames();
    Remove();
    ASSERT_FALSE(ShortPath(program_).empty());
    EXPECT_EQ(RenameSection(), NewEntries());
    EXPECT_EQ(PendingRenames(), pendingBefore);
}

TEST_F(WininitRemovalTest, EmptySectionGetsTheTwoEntries) {
    WriteWininit("[Rename]\r\n");
    Remove();
    EXPECT_EQ(RenameSection(), NewEntries());
}

TEST_F(WininitRemovalTest, ExistingEntriesStayFirstAndInOrder) {
    WriteWininit("[Other]\r\nkeep=1\r\n[Rename]\r\nNUL=C:\\OLD.TMP\r\n"
                 "C:\\NEW.DAT=C:\\TEMP.DAT\r\n");
    Remove();
    EXPECT_EQ(RenameSection(), std::string("NUL=C:\\OLD.TMP") + '\0' + "C:\\NEW.DAT=C:\\TEMP.DAT" +
                                   '\0' + NewEntries());
    char other[16] = {};
    GetPrivateProfileStringA("Other", "keep", "", other, sizeof other, WininitPath().c_str());
    EXPECT_STREQ(other, "1");
}

TEST_F(WininitRemovalTest, SectionTooFullForTheNewEntriesIsLeftUnchanged) {
    // Entries that leave room in the 32,000-byte buffer for the program's entry but not
    // for the DLL's as well: neither is written.
    const size_t programEntry = NewEntries().find('\0') + 1;
    const size_t bothEntries = NewEntries().size();
    std::string text = "[Rename]\r\n";
    std::string entries;
    for (int i = 0; entries.size() + bothEntries + 1 <= 32000; ++i) {
        const std::string entry = "NUL=C:\\FULL" + std::to_string(100000 + i) + ".TMP";
        text += entry + "\r\n";
        entries += entry + '\0';
    }
    ASSERT_LE(entries.size() + programEntry + 1, 32000u);
    WriteWininit(text);
    ASSERT_EQ(RenameSection().size(), entries.size());
    Remove();
    const std::string after = RenameSection();
    EXPECT_EQ(after.size(), entries.size());
    EXPECT_TRUE(after == entries) << after.substr(after.size() > 200 ? after.size() - 200 : 0);
}

TEST_F(WininitRemovalTest, FileWhoseShortPathCannotBeFormedGetsNoEntry) {
    // The DLL is gone before the removal: no short path, so only the program is scheduled.
    DeleteFileA(dll_.c_str());
    Remove();
    EXPECT_EQ(RenameSection(), "Nul=" + ShortPath(program_) + '\0');
}

TEST_F(WininitRemovalTest, NoShortPathAtAllWritesNothing) {
    DeleteFileA(dll_.c_str());
    DeleteFileA(program_.c_str());
    Remove();
    EXPECT_FALSE(FileExists(WininitPath()));
}

// The Windows 11 package is handed to the package manager by URI: a drive's path after an empty
// authority, a UNC path's server as the authority, and whatever a URI's path cannot hold as it
// stands percent-encoded from UTF-8.
struct FileUriRow {
    const char* label;
    const wchar_t* Path;
    const wchar_t* Uri;
};

class RegistrationFileUriTest : public ::testing::TestWithParam<FileUriRow> {};

TEST_P(RegistrationFileUriTest, NamesThePath) {
    wchar_t uri[1024];
    ASSERT_TRUE(FormFileUri(uri, 1024, GetParam().Path));
    EXPECT_EQ(std::wstring(uri), GetParam().Uri);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RegistrationFileUriTest,
    ::testing::Values(FileUriRow{"Drive", L"C:\\Program Files\\Vestrane\\Vestrane.msix",
                                 L"file:///C:/Program%20Files/Vestrane/Vestrane.msix"},
                      FileUriRow{"Unc", L"\\\\server\\share\\Vestrane",
                                 L"file://server/share/Vestrane"},
                      FileUriRow{"Marks", L"C:\\a#b%c?d\\(x)~y", L"file:///C:/a%23b%25c%3Fd/(x)~y"},
                      FileUriRow{"BeyondAscii", L"C:\\\u8868\u00e9\U0001F600",
                                 L"file:///C:/%E8%A1%A8%C3%A9%F0%9F%98%80"}),
    RowLabel());

TEST(RegistrationFileUri, RefusesWhatDoesNotFitAndLoneSurrogates) {
    wchar_t uri[16];
    EXPECT_FALSE(FormFileUri(uri, 16, L"C:\\Program Files"));
    EXPECT_FALSE(FormFileUri(uri, 16, L"C:\\\xD800"));
}

// A failure of the package manager is told with its code and, in plain words, the deployment's
// own account, Windows' text of the code (without its line break), or that there is none.
TEST_F(RegistrationTest, PackageFailureNamesItsCodeAndMeaning) {
    wchar_t told[kMessageRoom];
    FormMenuPackageFailure(told, IDS_MENU_PACKAGE_NOT_REMOVED, E_ACCESSDENIED, L"in use");
    EXPECT_EQ(Utf8(told), Utf8(Formed(IDS_MENU_PACKAGE_NOT_REMOVED, L"0x80070005", L"in use")));
    FormMenuPackageFailure(told, IDS_MENU_PACKAGE_NOT_REMOVED, E_ACCESSDENIED, nullptr);
    const std::wstring known = told;
    EXPECT_EQ(known.rfind(Formed(IDS_MENU_PACKAGE_NOT_REMOVED, L"0x80070005", L""), 0), 0u);
    EXPECT_NE(known,
              Formed(IDS_MENU_PACKAGE_NOT_REMOVED, L"0x80070005", Formed(IDS_NO_ERROR_TEXT)));
    EXPECT_FALSE(iswspace(known.back())) << Utf8(known);
    FormMenuPackageFailure(told, IDS_MENU_PACKAGE_NOT_REMOVED, static_cast<HRESULT>(0xA0DEF00D),
                           L"");
    EXPECT_EQ(Utf8(told),
              Utf8(Formed(IDS_MENU_PACKAGE_NOT_REMOVED, L"0xA0DEF00D", Formed(IDS_NO_ERROR_TEXT))));
}

} // namespace
