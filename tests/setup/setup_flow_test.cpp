// Every course of the setup program's entry, run in-process with the program placed in a
// scratch folder; message boxes and the settings dialog are answered from the test.
#include "setup/setup_flow.h"

#include <gtest/gtest.h>

#include "setup/folder_safety.h"
#include "setup/menu_package.h"
#include "setup/resource.h"
#include "setup/setup_state.h"
#include "setup/system_facts.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/row_label.h"
#include "tests/support/wine_drive.h"

namespace {

class SetupFlowTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        PlaceProgramIn(folder_->Path());
    }

    void PlaceProgramIn(const std::string& folder) {
        program_ = folder + "\\Vestinst.exe";
        PretendProgramIs(program_);
    }

    void PretendProgramIs(const std::string& program) {
        programPath_ = Wide(program);
        OverrideProgramPath(programPath_.c_str());
    }

    std::wstring programPath_;

    int Run(const char* arguments) {
        return RunSetup(GetModuleHandleA(nullptr), Wide(arguments).c_str());
    }

    // Runs the program, which shows one message box, answered OK, and then ends with 0.
    void RunToOneMessageBox(const char* arguments, UINT caption, UINT text) {
        ExpectOneMessageBox([&] { EXPECT_EQ(Run(arguments), 0); }, caption, text);
    }
    // A refusal: the error message, then an exit code that tells a calling script.
    void RunToRefusal(const char* arguments, UINT text) {
        ExpectOneMessageBox([&] { EXPECT_EQ(Run(arguments), kExitFailed); }, IDS_CAPTION_ERROR,
                            text);
    }
};

// The settings dialog step: checks the given buttons and presses `button`.
WindowScript::Step Settings(std::vector<int> checks, int button) {
    return [checks, button](HWND dialog) {
        EXPECT_EQ(Utf8(ShownText(dialog)), SettingsDialogCaption());
        for (int id : checks)
            ClickButton(dialog, id);
        if (button == SC_CLOSE)
            SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            ClickButton(dialog, button);
    };
}

struct MissingDll {
    const char* label;
    const char* Arguments;
};

class MissingDllTest : public SetupFlowTest, public ::testing::WithParamInterface<MissingDll> {};

TEST_P(MissingDllTest, ShowsMessageAAndDoesNothingElse) {
    DeleteFileA((dll_).c_str());
    StoreRegistration(dll_);
    RunToRefusal(GetParam().Arguments, IDS_DLL_MISSING);
    // Removal did not run.
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
}

INSTANTIATE_TEST_SUITE_P(Arguments, MissingDllTest,
                         ::testing::Values(MissingDll{"None", ""}, MissingDll{"Removal", "u"}),
                         RowLabel());

TEST_F(SetupFlowTest, DllOpenForWritingElsewhereCountsAsMissing) {
    HANDLE held = CreateFileA((dll_).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    WindowScript script({Press(IDOK)});
    EXPECT_EQ(Run(""), kExitFailed);
    CloseHandle(held);
    ASSERT_EQ(script.Seen().size(), 1u);
    ExpectMessageBox(script.Seen()[0], IDS_CAPTION_ERROR, IDS_DLL_MISSING);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

struct RemovalArgument {
    const char* label;
    const char* Arguments;
};

class RemovalArgumentTest : public SetupFlowTest,
                            public ::testing::WithParamInterface<RemovalArgument> {};

TEST_P(RemovalArgumentTest, RemovesTheExtension) {
    StoreRegistration(dll_);
    StoreSettings(2, 1);
    RunToOneMessageBox(GetParam().Arguments, IDS_CAPTION_VESTRANE, IDS_UNINSTALLED);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

INSTANTIATE_TEST_SUITE_P(Arguments, RemovalArgumentTest,
                         ::testing::Values(RemovalArgument{"U", "u"},
                                           RemovalArgument{"Uninstall", "uninstall"},
                                           RemovalArgument{"UAndMore", "u more"}),
                         RowLabel());

// The Windows 11 package names this folder, whose files the removal deletes: it goes first, and
// when it cannot, the message says why and nothing else is removed.
struct PackageRemovalRow {
    const char* label;
    bool Registered;
    HRESULT Answer;
};

class SetupMenuPackageRemovalTest : public SetupFlowTest,
                                    public ::testing::WithParamInterface<PackageRemovalRow> {};

TEST_P(SetupMenuPackageRemovalTest, GoesBeforeTheExtension) {
    const PackageRemovalRow& row = GetParam();
    FakeMenuPackages packages(row.Registered, row.Answer, L"in use");
    StoreRegistration(dll_);
    WindowScript script({Press(IDOK)});
    EXPECT_EQ(Run("u"), SUCCEEDED(row.Answer) ? 0 : kExitFailed);
    EXPECT_EQ(packages.Calls,
              row.Registered ? std::vector<std::wstring>{L"remove"} : std::vector<std::wstring>{});
    ASSERT_EQ(script.Seen().size(), 1u);
    if (SUCCEEDED(row.Answer)) {
        ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE, IDS_UNINSTALLED);
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
        return;
    }
    ExpectMessageBox(script.Seen()[0], IDS_CAPTION_ERROR,
                     Formed(IDS_MENU_PACKAGE_NOT_REMOVED, L"0x80070005", L"in use"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
}

INSTANTIATE_TEST_SUITE_P(Packages, SetupMenuPackageRemovalTest,
                         ::testing::Values(PackageRemovalRow{"None", false, S_OK},
                                           PackageRemovalRow{"Registered", true, S_OK},
                                           PackageRemovalRow{"Refused", true, E_ACCESSDENIED}),
                         RowLabel());

TEST_F(SetupFlowTest, UpperCaseUDoesNotRemove) {
    StoreRegistration(dll_);
    WindowScript script({Settings({}, IDCANCEL)});
    EXPECT_EQ(Run("U"), 0);
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(Utf8(script.Seen()[0].Caption), SettingsDialogCaption());
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
}

// Without a user: no window at all (the script fails the test at the first), each question
// answered as QuietAnswer answers it, and each outcome in its own exit code.
enum Machine : unsigned {
    Fresh = 0,
    OwnDll = 1,
    OtherDll = 2,
    NoDll = 4,
    Uncreatable = 8,
    LongPath = 16,
    Wow64 = 32,
    Writable = 64,
    BesidePackage = 128 | OwnDll,
    PackageRegistered = 256,
    PackageRefuses = 512,
    SettingsStored = 1024,
};
struct QuietRow {
    const char* label;
    const char* Arguments;
    unsigned Before;
    int ExitCode;
    unsigned After; // OwnDll, OtherDll, PackageRegistered, SettingsStored
};

class QuietRunTest : public SetupFlowTest, public ::testing::WithParamInterface<QuietRow> {};

TEST_P(QuietRunTest, ShowsNoWindowAndEndsWithItsCode) {
    const QuietRow& row = GetParam();
    const std::string other = "D:\\Other\\Vestrane.dll";
    const std::wstring folder = Wide(folder_->Path());
    FakeMenuPackages packages(row.Before & PackageRegistered,
                              row.Before & PackageRefuses ? E_ACCESSDENIED : S_OK);
    std::unique_ptr<UncreatableKey> classKey;
    if (row.Before & Uncreatable) {
        classKey = std::make_unique<UncreatableKey>(HKEY_CLASSES_ROOT, kClassKey);
        ASSERT_TRUE(classKey->Made());
    }
    if (row.Before & (OwnDll | OtherDll))
        StoreRegistration(row.Before & OwnDll ? dll_ : other);
    if (row.Before & LongPath)
        PretendProgramIs("C:\\" + std::string(250, 'a') + "\\Vestinst.exe");
    OverrideRunsUnderWow64(row.Before & Wow64);
    ASSERT_TRUE(!(row.Before & NoDll) || DeleteFileA(dll_.c_str()));
    ASSERT_TRUE(!(row.Before & Writable) || LetEveryoneWrite(folder_->Path()));
    if ((row.Before & BesidePackage) == BesidePackage)
        OverridePackageFolder(folder.c_str());
    WindowScript script({});
    EXPECT_EQ(Run(row.Arguments), row.ExitCode);
    const std::string registered = row.After & OwnDll     ? WithTerminator(dll_)
                                   : row.After & OtherDll ? WithTerminator(other)
                                                          : "";
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).Data, registered);
    EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, kSettingsKey), (row.After & SettingsStored) != 0);
    EXPECT_EQ(packages.Registered, (row.After & PackageRegistered) != 0);
}

const QuietRow kQuietRows[] = {
    {"Install", "-Quiet", Fresh, 0, OwnDll | SettingsStored},
    {"Removal", "/quiet uninstall", OwnDll | PackageRegistered, 0, Fresh},
    {"PackageRefusesRemoval", "u /QUIET", OwnDll | PackageRegistered | PackageRefuses,
     kExitMenuPackageFailed, OwnDll | PackageRegistered},
    {"RemovalBesidePackage", "u /quiet", BesidePackage, kExitPackageInstallation, OwnDll},
    {"DllMissing", "/quiet", NoDll, kExitDllMissing, Fresh},
    {"PathTooLong", "/quiet", LongPath, kExitPathTooLong, Fresh},
    {"UnderWow64", "u /quiet", OwnDll | Wow64, kExitNeedsX64Setup, OwnDll},
    {"WritableFolder", "/quiet", Writable, kExitUnsafeFolder, Fresh},
    {"RepairInWritableFolder", "/quiet", OwnDll | Writable, kExitUnsafeFolder, OwnDll},
    {"WritablePackageFolder", "/quiet", BesidePackage | Writable, kExitUnsafeFolder, OwnDll},
    {"OtherFolderKept", "/quiet", OtherDll, kExitOtherFolderRegistered, OtherDll},
    {"RegistrationFails", "/quiet", Uncreatable, kExitRegistrationFailed, Fresh},
    {"PackageAdded", "/package add /quiet", OwnDll, 0, OwnDll | PackageRegistered},
    {"PackageNotForAnotherDll", "/Package ADD /quiet", OtherDll, kExitOtherFolderRegistered,
     OtherDll},
    {"PackageRemovedBesidePackage", "/quiet /package remove", BesidePackage | PackageRegistered, 0,
     OwnDll},
    {"UnknownSwitch", "/quiet /force", Fresh, kExitBadCommandLine, Fresh},
    {"PackageBesideRemoval", "u /package remove /quiet", OwnDll, kExitBadCommandLine, OwnDll},
};

INSTANTIATE_TEST_SUITE_P(Machines, QuietRunTest, ::testing::ValuesIn(kQuietRows), RowLabel());

TEST_F(SetupFlowTest, InstallDeclinedEndsWithoutDialog) {
    WindowScript script({Press(IDNO)});
    EXPECT_EQ(Run(""), 0);
    ASSERT_EQ(script.Seen().size(), 1u);
    ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE, IDS_INSTALL_QUESTION);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

// What the failure itself leaves is the registration's to show; the entry only ends.
TEST_F(SetupFlowTest, InstallFailingEndsWithoutTheDialog) {
    UncreatableKey classKey(HKEY_CLASSES_ROOT, kClassKey);
    ASSERT_TRUE(classKey.Made());
    WindowScript script({Press(IDYES), Press(IDOK)});
    EXPECT_EQ(Run(""), kExitFailed);
    EXPECT_EQ(script.Seen().size(), 2u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(SetupFlowTest, InstallThenSettingsConfirmed) {
    WindowScript script(
        {Press(IDYES), Press(IDOK), Settings({IDC_MODE_MOVE_TO_FOLDER, IDC_START_HISTORY}, IDOK)});
    EXPECT_EQ(Run(""), 0);
    ASSERT_EQ(script.Seen().size(), 3u);
    ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE, IDS_INSTALL_QUESTION);
    ExpectMessageBox(script.Seen()[1], IDS_CAPTION_VESTRANE, IDS_INSTALLED);
    EXPECT_EQ(Utf8(script.Seen()[2].Caption), SettingsDialogCaption());
    EXPECT_FALSE(WasInstalled);
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).Data, WithTerminator(dll_));
    EXPECT_EQ(ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString").Data,
              WithTerminator("\"" + program_ + "\" u"));
    ExpectStoredSettings(5, 1);
}

TEST_F(SetupFlowTest, InstallThenCancelStoresZeros) {
    StoreSettings(4, 1);
    WindowScript script({Press(IDYES), Press(IDOK), Settings({}, IDCANCEL)});
    EXPECT_EQ(Run(""), 0);
    ASSERT_EQ(script.Seen().size(), 3u);
    ExpectStoredSettings(0, 0);
}

TEST_F(SetupFlowTest, InstallThenCloseBoxWritesNoSettings) {
    WindowScript script({Press(IDYES), Press(IDOK), Settings({}, SC_CLOSE)});
    EXPECT_EQ(Run(""), 0);
    ASSERT_EQ(script.Seen().size(), 3u);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

// A registration of another folder's DLL: the run offers to register this folder's instead,
// then shows the settings, which stay as they were on Cancel.
struct RegisteredElsewhere {
    const char* label;
    int Answer;
};

class RegisteredElsewhereTest : public SetupFlowTest,
                                public ::testing::WithParamInterface<RegisteredElsewhere> {};

TEST_P(RegisteredElsewhereTest, AsksWhetherToRegisterThisFolder) {
    const std::string other = "D:\\Other\\Vestrane.dll";
    StoreRegistration(other);
    StoreSettings(7, 2);
    const bool moves = GetParam().Answer == IDYES;
    std::vector<WindowScript::Step> steps = {Press(GetParam().Answer)};
    if (moves)
        steps.push_back(Press(IDOK));
    steps.push_back(Settings({}, IDCANCEL));
    WindowScript script(steps);
    EXPECT_EQ(Run(""), 0);
    ASSERT_EQ(script.Seen().size(), steps.size());
    ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE,
                     Formed(IDS_OTHER_FOLDER_QUESTION, Wide(other)));
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, kModeValue).Data, DwordBytes(7));
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).Data,
              WithTerminator(moves ? dll_ : other));
    EXPECT_EQ(ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString").Exists, moves);
}

INSTANTIATE_TEST_SUITE_P(Answers, RegisteredElsewhereTest,
                         ::testing::Values(RegisteredElsewhere{"Yes", IDYES},
                                           RegisteredElsewhere{"No", IDNO}),
                         RowLabel());

// The registration of this folder's DLL that lost the rest of its entries gets them back
// before the settings, without a word.
TEST_F(SetupFlowTest, SettingsOnlyConfirmed) {
    StoreRegistration(dll_);
    WindowScript script({Settings({IDC_MODE_CLIPBOARD_CUT}, IDOK)});
    EXPECT_EQ(Run(""), 0);
    ExpectStoredSettings(2, 0);
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kHandlerKey, nullptr).Data,
              WithTerminator(Utf8(kClassIdText)));
}

TEST_F(SetupFlowTest, ProgramNameWithBackslashSecondByteFindsTheDllBesideIt) {
    // 表 ends in the byte 0x5C: the folder is still cut at the real last backslash.
    ScratchFolder japanese("表ソ", "C:");
    ASSERT_FALSE(japanese.Path().empty());
    japanese.WriteFile("Vestrane.dll", "MZ");
    PretendProgramIs(japanese / "表.exe");
    WindowScript script({Press(IDYES), Press(IDOK), Settings({}, IDOK)});
    EXPECT_EQ(Run(""), 0);
    EXPECT_EQ(Utf8(DllPath), japanese / "Vestrane.dll");
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).Data,
              WithTerminator(japanese / "Vestrane.dll"));
}

TEST_F(SetupFlowTest, PathTooLongForTheBuffersIsRefused) {
    // 255 bytes is the longest program path whose uninstall command still fits.
    std::string folder = "C:\\";
    folder += std::string(255 - folder.size() - 13, 'a');
    const std::string longest = folder + "\\Vestinst.exe";
    ASSERT_EQ(longest.size(), 255u);
    const std::string tooLong = folder + "a\\Vestinst.exe";
    PretendProgramIs(tooLong);
    RunToRefusal("", IDS_PATH_TOO_LONG);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));

    // The longest path that fits gets past the check to the DLL test.
    PretendProgramIs(longest);
    RunToRefusal("", IDS_DLL_MISSING);
}

TEST_F(SetupFlowTest, PathBeyondMaxPathIsRefused) {
    const std::string beyond = "C:\\" + std::string(300, 'b') + "\\Vestinst.exe";
    PretendProgramIs(beyond);
    RunToRefusal("u", IDS_PATH_TOO_LONG);
}

TEST_F(SetupFlowTest, UncPathIsNoFixedDisk) {
    PretendProgramIs("\\\\server\\share\\Vestinst.exe");
    // The share does not exist, so the DLL test refuses first.
    RunToRefusal("", IDS_DLL_MISSING);
}

// A 32-bit program on 64-bit Windows would register into the view that Explorer never reads,
// and its removal would delete the shared handler keys while the 64-bit class and uninstall
// entry stayed (it removed them and said it had uninstalled).
TEST_F(SetupFlowTest, UnderWow64InstallAndRemovalAreRefused) {
    OverrideRunsUnderWow64(true);
    ExpectOneMessageBox([&] { EXPECT_EQ(Run(""), kExitFailed); }, IDS_CAPTION_ERROR,
                        IDS_NEEDS_X64_SETUP);
    ExpectNoRegistration();

    StoreRegistration(dll_);
    ExpectOneMessageBox([&] { EXPECT_EQ(Run("u"), kExitFailed); }, IDS_CAPTION_ERROR,
                        IDS_NEEDS_X64_SETUP);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

// A Windows Installer package's installation is the package's: its folder holds the DLL beside
// the program or the DLL that the class is registered with. A removal is refused and leaves
// everything as it was (the package's entry in Apps & Features would stay, and a repair would
// undo it); without "u" the run neither installs nor asks to register another DLL, it only
// shows the settings.
enum class Registered { Nothing, ProgramsDll, PackagesDll };
struct PackageRow {
    const char* label;
    bool PackageBesideProgram;
    Registered Registration;
    bool PackageFolderInCapitals;
    bool Owned;
    // Others may change the package's folder: warned of before the settings.
    bool Writable;
};

class SetupBesidePackageTest : public SetupFlowTest,
                               public ::testing::WithParamInterface<PackageRow> {
protected:
    void SetUp() override {
        SetupFlowTest::SetUp();
        if (HasFatalFailure())
            return;
        package_ = std::make_unique<ScratchFolder>("Vest package", "C:");
        ASSERT_TRUE(package_->WriteFile("Vestrane.dll", "MZ package"));
        const std::string folder =
            GetParam().PackageBesideProgram ? folder_->Path() : package_->Path();
        packageFolder_ = Wide(folder);
        if (GetParam().PackageFolderInCapitals)
            CharUpperW(packageFolder_.data());
        OverridePackageFolder(packageFolder_.c_str());
        ASSERT_TRUE(!GetParam().Writable || LetEveryoneWrite(folder));
        if (GetParam().Registration != Registered::Nothing)
            StoreRegistration(GetParam().Registration == Registered::ProgramsDll
                                  ? dll_
                                  : *package_ / "Vestrane.dll");
        registration_ = ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr);
        ASSERT_TRUE(folder_->WriteFile("Vestrane.txt", "notes"));
        StoreSettings(2, 1);
    }

    std::unique_ptr<ScratchFolder> package_;
    std::wstring packageFolder_;
    StoredValue registration_;
};

TEST_P(SetupBesidePackageTest, RemovalIsLeftToThePackage) {
    const std::vector<std::string> pending = PendingRenames();
    WindowScript script({Press(IDOK)});
    const int exitCode = Run("u");
    ASSERT_EQ(script.Seen().size(), 1u);
    if (!GetParam().Owned) {
        EXPECT_EQ(exitCode, 0);
        ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE, IDS_UNINSTALLED);
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
        return;
    }
    EXPECT_EQ(exitCode, kExitFailed);
    ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE,
                     Formed(IDS_PACKAGE_INSTALLATION, packageFolder_ + L"\\"));
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).Data, registration_.Data);
    ExpectStoredSettings(2, 1);
    EXPECT_EQ(PendingRenames(), pending);
    EXPECT_TRUE(FileExists(*folder_ / "Vestrane.txt"));
}

// The package's removal knows nothing of the Windows 11 package: beside its installation the
// settings do not offer it.
TEST_P(SetupBesidePackageTest, WithoutRemovalOnlyTheSettingsAreShown) {
    OverrideWindowsBuild(kFirstWindows11Build);
    FakeMenuPackages packages(false);
    bool offered = false;
    std::vector<WindowScript::Step> steps;
    if (GetParam().Writable)
        steps.push_back(Press(IDOK));
    steps.push_back([&](HWND dialog) {
        offered = IsWindowVisible(GetDlgItem(dialog, IDC_WINDOWS11_MENU)) != FALSE;
        Settings({IDC_MODE_CLIPBOARD_COPY}, IDOK)(dialog);
    });
    WindowScript script(steps);
    EXPECT_EQ(Run(""), 0);
    ASSERT_EQ(script.Seen().size(), steps.size());
    EXPECT_EQ(offered, !GetParam().Owned);
    wchar_t recommended[MAX_PATH];
    RecommendedFolder(recommended);
    if (GetParam().Writable)
        ExpectMessageBox(script.Seen()[0], IDS_CAPTION_VESTRANE,
                         Formed(IDS_UNSAFE_PACKAGE_FOLDER, packageFolder_, recommended));
    ExpectStoredSettings(1, 1);
    const StoredValue registration = ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr);
    EXPECT_EQ(registration.Exists, registration_.Exists);
    EXPECT_EQ(registration.Data, registration_.Data);
    // A registration of the program's own DLL is written whole.
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey), !GetParam().Owned);
}

const PackageRow kPackageRows[] = {
    {"BesideTheProgram", true, Registered::ProgramsDll, false, true, false},
    {"BesideTheProgramUnregistered", true, Registered::Nothing, false, true, false},
    {"RegisteredFromThePackage", false, Registered::PackagesDll, true, true, false},
    {"ElsewhereWhileThisDllIsRegistered", false, Registered::ProgramsDll, false, false, false},
    {"BesideTheProgramWritable", true, Registered::ProgramsDll, false, true, true},
};

INSTANTIATE_TEST_SUITE_P(Places, SetupBesidePackageTest, ::testing::ValuesIn(kPackageRows),
                         RowLabel());

TEST_F(SetupFlowTest, ModuleWithoutTheDialogEndsInsteadOfWaitingForever) {
    StoreRegistration(dll_);
    WindowScript script({});
    EXPECT_EQ(RunSetup(GetModuleHandleA("kernel32.dll"), L""), 1);
    EXPECT_TRUE(script.Seen().empty());
}

struct OtherDrive {
    const char* label;
    UINT Type;
};

class OtherDriveTest : public SetupFlowTest, public ::testing::WithParamInterface<OtherDrive> {
protected:
    void SetUp() override {
        SetupFlowTest::SetUp();
        if (HasFatalFailure())
            return;
        drive_ = std::make_unique<MappedDrive>(FreeDriveLetter(), GetParam().Type, folder_->Path());
        ASSERT_TRUE(drive_->Mapped()) << "no drive letter could be mapped in this prefix";
        ASSERT_EQ(GetDriveTypeA((drive_->Root() + "\\").c_str()), GetParam().Type);
        PlaceProgramIn(drive_->Root());
    }
    void TearDown() override {
        drive_.reset();
        SetupFlowTest::TearDown();
    }
    std::unique_ptr<MappedDrive> drive_;
};

TEST_P(OtherDriveTest, InstallIsRefusedWithMessageB) {
    RunToRefusal("", IDS_NOT_HARD_DISK);
    WindowScript quietly({});
    EXPECT_EQ(Run("/quiet"), kExitNotFixedDisk);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

TEST_P(OtherDriveTest, RemovalStillRuns) {
    StoreRegistration(drive_->Root() + "\\Vestrane.dll");
    RunToOneMessageBox("u", IDS_CAPTION_VESTRANE, IDS_UNINSTALLED);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

INSTANTIATE_TEST_SUITE_P(Kinds, OtherDriveTest,
                         ::testing::Values(OtherDrive{"CdRom", DRIVE_CDROM},
                                           OtherDrive{"Network", DRIVE_REMOTE}),
                         RowLabel());

} // namespace
