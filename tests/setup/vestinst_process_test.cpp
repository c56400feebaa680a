// The real Vestinst.exe, copied with a Vestrane.dll into a scratch folder and started as
// its own process in the test prefix. Its windows are found and answered from the test.
#include <gtest/gtest.h>

#include "setup/resource.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/process_lock.h"
#include "tests/support/process_windows.h"
#include "tests/support/wine_drive.h"

namespace {

// The built program, as a path of the test prefix.
std::string BuiltProgram() {
    return BuiltFilePath(VESTINST_EXE);
}

class VestinstProcessTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        cursorLock_ = std::make_unique<ProcessLock>("cursor");
        // Blanks in the folder name, as under "Program Files".
        folder_ = std::make_unique<ScratchFolder>("Vest process");
        program_ = *folder_ / "Vestinst.exe";
        ASSERT_TRUE(CopyFileA(BuiltProgram().c_str(), program_.c_str(), FALSE)) << BuiltProgram();
        folder_->WriteFile("Vestrane.dll", "MZ any file of this name");
    }
    void TearDown() override {
        child_.reset();
        folder_.reset();
        cursorLock_.reset();
        SetupTest::TearDown();
    }

    void Start(const std::string& arguments, const std::string& program = "") {
        const std::string path = program.empty() ? program_ : program;
        child_ = std::make_unique<ChildProcess>("\"" + path + "\"" +
                                                (arguments.empty() ? "" : " " + arguments));
        ASSERT_TRUE(child_->Started());
    }

    // Waits for the next window of the program, checks it and presses button.
    void Answer(const char* caption, const char* text, int button) {
        HWND window = child_->WaitForDialog(known_);
        ASSERT_NE(window, nullptr) << "no window: " << caption;
        known_.push_back(window);
        EXPECT_EQ(WindowTextA(window), caption);
        EXPECT_EQ(MessageBoxTextA(window), text);
        ClickButton(window, button);
    }

    HWND WaitForSettings() {
        HWND dialog = child_->WaitForDialog(known_);
        EXPECT_NE(dialog, nullptr);
        if (dialog != nullptr) {
            known_.push_back(dialog);
            EXPECT_EQ(WindowTextA(dialog), SettingsDialogCaption());
            EXPECT_NE(GetDlgItem(dialog, IDC_MODE_COPY_TO_FOLDER), nullptr);
        }
        return dialog;
    }

    void ExpectEndsWithZero() { EXPECT_EQ(child_->WaitForExit(), 0u); }

    std::unique_ptr<ProcessLock> cursorLock_;
    std::unique_ptr<ScratchFolder> folder_;
    std::string program_;
    std::unique_ptr<ChildProcess> child_;
    std::vector<HWND> known_;
};

TEST_F(VestinstProcessTest, WithoutTheDllShowsMessageA) {
    DeleteFileA((*folder_ / "Vestrane.dll").c_str());
    Start("");
    Answer(kCaptionError, kTextDllMissing, IDOK);
    ExpectEndsWithZero();
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

TEST_F(VestinstProcessTest, InstallDeclinedEndsTheProgram) {
    Start("");
    Answer(kCaptionVestrane, kTextInstallQuestion, IDNO);
    ExpectEndsWithZero();
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(VestinstProcessTest, InstallThenSettingsNearTheCursor) {
    ASSERT_TRUE(SetCursorPos(420, 330));
    Start("");
    Answer(kCaptionVestrane, kTextInstallQuestion, IDYES);
    Answer(kCaptionVestrane, kTextInstalled, IDOK);
    HWND dialog = WaitForSettings();
    ASSERT_NE(dialog, nullptr);

    RECT frame = {};
    GetWindowRect(dialog, &frame);
    EXPECT_EQ(frame.left, 420 - (frame.right - frame.left) / 2);
    EXPECT_EQ(frame.top, 330 - (frame.bottom - frame.top) / 2);
    EXPECT_TRUE(IsChecked(dialog, IDC_MODE_SELECT_ONLY));
    EXPECT_TRUE(IsChecked(dialog, IDC_START_EXTENSION));
    ClickButton(dialog, IDC_MODE_COPY_TO_FOLDER);
    ClickButton(dialog, IDC_START_HISTORY);
    ClickButton(dialog, IDOK);
    ExpectEndsWithZero();

    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kClassKey, nullptr).Data,
              WithTerminator(kProductName));
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).Data,
              WithTerminator(*folder_ / "Vestrane.dll"));
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel").Data,
              WithTerminator("Apartment"));
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kHandlerKey, nullptr).Data,
              WithTerminator(kClassIdText));
    EXPECT_EQ(ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName").Data,
              WithTerminator(kProductName));
    EXPECT_EQ(ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").Data,
              WithTerminator("\"" + program_ + "\" u"));
    const StoredValue mode = ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, kModeValue);
    EXPECT_EQ(mode.Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(mode.Data, DwordBytes(4));
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, kSelectValue).Data, DwordBytes(1));
}

TEST_F(VestinstProcessTest, FolderWithBackslashSecondBytesRegistersTheDllBesideIt) {
    // 表 and ソ end in the byte 0x5C; the program finds its folder all the same.
    ScratchFolder japanese("表ソ", folder_->Path());
    const std::string program = japanese / "Vestinst.exe";
    ASSERT_TRUE(CopyFileA(program_.c_str(), program.c_str(), FALSE));
    japanese.WriteFile("Vestrane.dll", "MZ");
    Start("", program);
    Answer(kCaptionVestrane, kTextInstallQuestion, IDYES);
    Answer(kCaptionVestrane, kTextInstalled, IDOK);
    HWND dialog = WaitForSettings();
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, IDOK);
    ExpectEndsWithZero();
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).Data,
              WithTerminator(japanese / "Vestrane.dll"));
    EXPECT_EQ(ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").Data,
              WithTerminator("\"" + program + "\" u"));
}

TEST_F(VestinstProcessTest, InstallThenCancelStoresZeros) {
    Start("");
    Answer(kCaptionVestrane, kTextInstallQuestion, IDYES);
    Answer(kCaptionVestrane, kTextInstalled, IDOK);
    HWND dialog = WaitForSettings();
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, IDCANCEL);
    ExpectEndsWithZero();
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, kModeValue).Data, DwordBytes(0));
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, kSelectValue).Data, DwordBytes(0));
}

TEST_F(VestinstProcessTest, SettingsOnlyShowsStoredValuesAndCancelWritesNothing) {
    StoreRegistration(*folder_ / "Vestrane.dll");
    StoreSettings(7, 2);
    Start("");
    HWND dialog = WaitForSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsChecked(dialog, IDC_MODE_PREVIOUS));
    EXPECT_TRUE(IsChecked(dialog, IDC_START_HISTORY));
    ClickButton(dialog, IDC_MODE_CLIPBOARD_COPY);
    ClickButton(dialog, IDCANCEL);
    ExpectEndsWithZero();
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, kModeValue).Data, DwordBytes(7));
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, kSelectValue).Data, DwordBytes(2));
}

TEST_F(VestinstProcessTest, CloseBoxEndsTheProgramWithoutWriting) {
    StoreRegistration(*folder_ / "Vestrane.dll");
    Start("U");
    HWND dialog = WaitForSettings();
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, IDC_MODE_CLIPBOARD_CUT);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectEndsWithZero();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    // "U" is not the removal argument.
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
}

TEST_F(VestinstProcessTest, RemovalThroughTheStoredUninstallCommand) {
    Start("");
    Answer(kCaptionVestrane, kTextInstallQuestion, IDYES);
    Answer(kCaptionVestrane, kTextInstalled, IDOK);
    HWND dialog = WaitForSettings();
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, IDOK);
    ExpectEndsWithZero();
    folder_->WriteFile("Vestrane.txt", "read me");

    // What the system's list of programs runs: the stored command, as it stands.
    const StoredValue command =
        ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    ASSERT_TRUE(command.Exists);
    child_ = std::make_unique<ChildProcess>(command.Data.c_str());
    ASSERT_TRUE(child_->Started());
    known_.clear();
    Answer(kCaptionVestrane, kTextUninstalled, IDOK);
    ExpectEndsWithZero();

    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettingsParent));
    EXPECT_FALSE(FileExists(*folder_ / "Vestrane.txt"));
    const auto pending = PendingRenames();
    ASSERT_GE(pending.size(), 4u);
    EXPECT_EQ(pending[pending.size() - 4], "\\??\\" + program_);
    EXPECT_EQ(pending[pending.size() - 2], "\\??\\" + *folder_ / "Vestrane.dll");
}

TEST_F(VestinstProcessTest, RemovalWithoutInprocServerShowsTheError) {
    StoreRegistration(*folder_ / "Vestrane.dll");
    ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, kServerKey.c_str()), ERROR_SUCCESS);
    Start("u");
    Answer(kCaptionError, kTextCannotUninstall, IDOK);
    ExpectEndsWithZero();
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

TEST_F(VestinstProcessTest, FromACdRomShowsMessageB) {
    MappedDrive drive(FreeDriveLetter(), DRIVE_CDROM, folder_->Path());
    ASSERT_TRUE(drive.Mapped()) << "no drive letter could be mapped in this prefix";
    Start("", drive.Root() + "\\Vestinst.exe");
    Answer(kCaptionError, kTextNotHardDisk, IDOK);
    ExpectEndsWithZero();
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

} // namespace
