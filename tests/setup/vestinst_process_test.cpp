// The real Vestinst.exe, copied with a Vestrane.dll into a scratch folder and started as
// its own process in the test prefix. Its windows are found and answered from the test.
// Every course of the program is setup_flow_test's to show in-process; here only what takes
// the real program: its own path, its command line and its exit code.
#include <gtest/gtest.h>

#include "setup/folder_safety.h"
#include "setup/menu_package.h"
#include "setup/program_paths.h"
#include "setup/registration.h"
#include "setup/resource.h"
#include "setup/run_log.h"
#include "setup/setup_flow.h"
#include "setup/setup_state.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/process_windows.h"

namespace {

// The built program, as a path of the test prefix.
std::string BuiltProgram() {
    return BuiltFilePath(VESTINST_EXE);
}

class VestinstProcessTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        ASSERT_TRUE(CopyFileA(BuiltProgram().c_str(), program_.c_str(), FALSE)) << BuiltProgram();
    }
    void TearDown() override {
        child_.reset();
        SetupTest::TearDown();
    }

    void Start(const std::string& arguments, const std::wstring& program = L"") {
        const std::wstring path = program.empty() ? Wide(program_) : program;
        child_ = std::make_unique<ChildProcess>(L"\"" + path + L"\"" +
                                                (arguments.empty() ? L"" : L" " + Wide(arguments)));
        ASSERT_TRUE(child_->Started());
    }

    // Waits for the next window of the program, checks what it shows and presses button.
    void Answer(UINT caption, const std::wstring& text, int button) {
        HWND window = child_->WaitForDialog(known_);
        ASSERT_NE(window, nullptr) << "no window: " << Utf8(text);
        known_.push_back(window);
        EXPECT_EQ(ShownText(window), Formed(caption));
        EXPECT_TRUE(ShownMessage(window) == text) << Utf8(ShownMessage(window));
        ClickButton(window, button);
    }
    void Answer(UINT caption, UINT text, int button) { Answer(caption, Formed(text), button); }

    HWND WaitForSettings() {
        HWND dialog = child_->WaitForDialog(known_);
        EXPECT_NE(dialog, nullptr);
        if (dialog != nullptr) {
            known_.push_back(dialog);
            EXPECT_EQ(Utf8(ShownText(dialog)), SettingsDialogCaption());
            EXPECT_NE(GetDlgItem(dialog, IDC_MODE_COPY_TO_FOLDER), nullptr);
        }
        return dialog;
    }

    // Starts the program on a machine without the extension and agrees to install it; the
    // settings dialog that follows. Wine gives every file to the signed-in account, which the
    // real program does not trust: it warns about the folder, and the test agrees.
    HWND InstallUpToTheSettings(const std::wstring& program = L"") {
        Start("", program);
        Answer(IDS_CAPTION_VESTRANE, IDS_INSTALL_QUESTION, IDYES);
        wchar_t folder[MAX_PATH];
        lstrcpynW(folder, program.empty() ? Wide(program_).c_str() : program.c_str(), MAX_PATH);
        CutToFolder(folder);
        wchar_t recommended[MAX_PATH];
        RecommendedFolder(recommended);
        Answer(IDS_CAPTION_VESTRANE, Formed(IDS_UNSAFE_FOLDER_QUESTION, folder, recommended),
               IDYES);
        Answer(IDS_CAPTION_VESTRANE, IDS_INSTALLED, IDOK);
        return WaitForSettings();
    }

    // Presses a button of the settings dialog; the program ends with 0.
    void EndWith(HWND dialog, int button) {
        ClickButton(dialog, button);
        ExpectEndsWithZero();
    }

    void ExpectEndsWithZero() { ExpectEndsWith(0); }
    void ExpectEndsWith(int code) { EXPECT_EQ(child_->WaitForExit(), static_cast<DWORD>(code)); }

    std::unique_ptr<ChildProcess> child_;
    std::vector<HWND> known_;
};

TEST_F(VestinstProcessTest, WithoutTheDllShowsMessageA) {
    DeleteFileA((dll_).c_str());
    Start("");
    Answer(IDS_CAPTION_ERROR, IDS_DLL_MISSING, IDOK);
    ExpectEndsWith(kExitFailed);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

TEST_F(VestinstProcessTest, InstallThenSettings) {
    HWND dialog = InstallUpToTheSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsChecked(dialog, IDC_MODE_SELECT_ONLY));
    EXPECT_TRUE(IsChecked(dialog, IDC_START_EXTENSION));
    ClickButton(dialog, IDC_MODE_COPY_TO_FOLDER);
    ClickButton(dialog, IDC_START_HISTORY);
    EndWith(dialog, IDOK);

    // Every entry's contents are the registration's tests to show; here the program found
    // its own DLL.
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).Data, WithTerminator(dll_));
    ExpectStoredSettings(CopyToFolder, 1);
}

// Runs under a second code page too (ctest: *.code_page_1252). The folder's name has characters
// that code page 932 lacks (Hangul, é) and ones whose code page 932 form ends in the byte 0x5C
// (表, ソ): the true path is registered, and every message reads as it should.
TEST_F(VestinstProcessTest, ProgramFolderOfAnyNameAnyCodePage) {
    const std::wstring folder = Wide(folder_->Path()) + L"\\한글 café 表ソ";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring program = folder + L"\\Vestinst.exe";
    const std::wstring dll = folder + L"\\" + kDllFileName;
    ASSERT_TRUE(CopyFileW(Wide(program_).c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Wide(dll_).c_str(), dll.c_str(), FALSE));

    HWND dialog = InstallUpToTheSettings(program);
    ASSERT_NE(dialog, nullptr);
    EndWith(dialog, IDOK);
    EXPECT_EQ(ReadWideString(HKEY_CLASSES_ROOT, kServerKey, nullptr), dll);
    const std::wstring command =
        ReadWideString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString");
    EXPECT_EQ(command, L"\"" + program + L"\" u");

    // What the system's list of programs runs: the stored command, as it stands.
    child_ = std::make_unique<ChildProcess>(command);
    ASSERT_TRUE(child_->Started());
    Answer(IDS_CAPTION_VESTRANE, IDS_UNINSTALLED, IDOK);
    ExpectEndsWithZero();
    ExpectNoRegistration();
}

// An administrator's script: a window would keep the program running past ExpectEndsWith. The
// real program does not trust the account that Wine gives every file to, so a new installation
// is refused for its folder; over a registration of its own DLL (written here, where the
// account is trusted) a quiet run stores the settings. Wine has no package manager.
TEST_F(VestinstProcessTest, QuietRunsShowNoWindowAndLogWhatTheyDid) {
    const std::string log = " /log \"" + *folder_ / "run log.txt" + "\"";
    Start("/quiet" + log);
    ExpectEndsWith(kExitUnsafeFolder);
    ExpectNoRegistration();
    lstrcpynW(ProgramPath, Wide(program_).c_str(), MAX_PATH);
    lstrcpynW(DllPath, Wide(dll_).c_str(), MAX_PATH);
    ASSERT_EQ(RegisterExtension(nullptr), Registered);
    Start("/package add /quiet" + log);
    ExpectEndsWith(kExitMenuPackageFailed);
    Start("/package remove /quiet" + log);
    ExpectEndsWithZero();
    Start("/quiet" + log);
    ExpectEndsWithZero();
    ExpectStoredSettings(0, 0);
    Start("u /quiet" + log);
    ExpectEndsWithZero();
    ExpectNoRegistration();

    const std::string bytes = ReadWholeFile(*folder_ / "run log.txt");
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const std::wstring text = wide_text::ToWide(CP_UTF8, bytes.substr(3));
    wchar_t failure[kMessageRoom];
    FormMenuPackageFailure(failure, IDS_MENU_PACKAGE_NOT_REGISTERED, REGDB_E_CLASSNOTREG, L"");
    for (std::wstring line : {std::wstring(failure), Formed(IDS_UNINSTALLED)}) {
        for (size_t at = 0; (at = line.find(L'\n', at)) != std::wstring::npos; at += 2)
            line.insert(at, 1, L'\r');
        EXPECT_NE(text.find(line + L"\r\n"), std::wstring::npos) << Utf8(line);
    }
    for (int code : {kExitUnsafeFolder, kExitMenuPackageFailed, kExitDone}) {
        const std::wstring end = kLogExitCode + std::to_wstring(code) + L"\r\n";
        EXPECT_NE(text.find(end), std::wstring::npos) << Utf8(end);
    }
}

// The running program cannot be deleted: it goes at the restart under a name of its own beside
// it, and its own name is free at once for a new installation, which the restart leaves alone.
TEST_F(VestinstProcessTest, RemovalLeavesTheProgramsNameToTheNextInstallation) {
    Start("u");
    Answer(IDS_CAPTION_VESTRANE, IDS_UNINSTALLED, IDOK);
    ExpectEndsWithZero();
    ASSERT_TRUE(CopyFileA(BuiltProgram().c_str(), program_.c_str(), TRUE));
    const std::vector<std::string> pending = PendingRenames();
    ASSERT_GE(pending.size(), 2u);
    const std::string renamed = pending[pending.size() - 2].substr(4);
    EXPECT_EQ(renamed.rfind(program_ + ".", 0), 0u) << renamed;
    EXPECT_TRUE(FileExists(renamed));
    EXPECT_EQ(pending.back(), "");
    for (const std::string& path : pending)
        EXPECT_NE(path, "\\??\\" + program_);
}

TEST_F(VestinstProcessTest, RemovalWithoutInprocServerShowsTheError) {
    StoreRegistration(dll_);
    ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, kServerKey.c_str()), ERROR_SUCCESS);
    Start("u");
    Answer(IDS_CAPTION_ERROR, KeyFailure(IDS_CANNOT_UNINSTALL, HKEY_CLASSES_ROOT, kServerKey),
           IDOK);
    ExpectEndsWith(kExitFailed);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

} // namespace
