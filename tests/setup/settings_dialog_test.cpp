// The settings dialog, created from this test program's copy of the setup resources and
// driven on the test's thread.
#include "setup/settings_dialog.h"

#include <gtest/gtest.h>

#include "setup/menu_package.h"
#include "setup/program_paths.h"
#include "setup/resource.h"
#include "setup/setup_state.h"
#include "setup/system_facts.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/process_lock.h"
#include "tests/support/row_label.h"

namespace {

class SettingsDialogTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        cursorLock_ = std::make_unique<ProcessLock>("cursor");
        SetupInstance = GetModuleHandleA(nullptr);
        WasInstalled = TRUE;
        lstrcpyW(ProgramPath, Wide(program_).c_str());
        lstrcpyW(DllPath, Wide(dll_).c_str());
        SetCursorPos(400, 300);
    }
    void TearDown() override {
        if (dialog_ != nullptr && IsWindow(dialog_))
            DestroyWindow(dialog_);
        DrainQuit();
        SetupTest::TearDown();
    }

    HWND Open() {
        dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS),
                                     GetDesktopWindow(), SettingsDialogProc, 0);
        EXPECT_NE(dialog_, nullptr);
        if (dialog_ != nullptr)
            ShowWindow(dialog_, SW_SHOW);
        return dialog_;
    }

    // true when the dialog's end posted WM_QUIT with exit code 0.
    static bool DrainQuit() {
        MSG message;
        bool quit = false;
        // Paint messages come back until dispatched, so everything else is dispatched.
        for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
            if (message.message == WM_QUIT) {
                quit = message.wParam == 0;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return quit;
    }

    // Opens the dialog with the cursor at `cursor`; where the dialog's frame stands.
    RECT FrameWhenOpenedAt(POINT cursor) {
        RECT frame = {};
        EXPECT_TRUE(SetCursorPos(cursor.x, cursor.y));
        HWND dialog = Open();
        if (dialog != nullptr)
            GetWindowRect(dialog, &frame);
        return frame;
    }

    // Where a control stands in the dialog's client area.
    static RECT PlaceOf(HWND dialog, int id) {
        RECT place = {};
        GetWindowRect(GetDlgItem(dialog, id), &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        return place;
    }

    // The dialog has gone and has ended the program's message loop with exit code 0.
    static void ExpectEnded(HWND dialog) {
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_TRUE(DrainQuit());
    }

    HWND dialog_ = nullptr;
    // The dialog opens at the cursor, which other tests move as well.
    std::unique_ptr<ProcessLock> cursorLock_;
};

constexpr int kModeIds[] = {IDC_MODE_COPY_TO_FOLDER, IDC_MODE_MOVE_TO_FOLDER,
                            IDC_MODE_CLIPBOARD_COPY, IDC_MODE_CLIPBOARD_CUT,
                            IDC_MODE_SELECT_ONLY,    IDC_MODE_PREVIOUS};

// Stored numbers and the buttons that stand for them.
struct Choice {
    const char* label;
    bool Stored; // false: no settings key at all
    DWORD Mode;
    DWORD Select;
    int ModeButton;
    int SelectButton;
};

class InitialChoiceTest : public SettingsDialogTest,
                          public ::testing::WithParamInterface<Choice> {};

TEST_P(InitialChoiceTest, ChecksTheButtonsOfTheStoredValues) {
    const Choice& row = GetParam();
    if (row.Stored)
        StoreSettings(row.Mode, row.Select);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    for (int id : kModeIds)
        EXPECT_EQ(IsChecked(dialog, id), id == row.ModeButton) << "button " << id;
    EXPECT_EQ(IsChecked(dialog, IDC_START_EXTENSION), row.SelectButton == IDC_START_EXTENSION);
    EXPECT_EQ(IsChecked(dialog, IDC_START_HISTORY), row.SelectButton == IDC_START_HISTORY);
    // Opening reads, it does not write.
    if (!row.Stored) {
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    }
}

// Each of the six actions with either start of the pattern box, as stored and as shown.
const Choice kChoices[] = {
    {"SelectOnly", true, 0, 0, IDC_MODE_SELECT_ONLY, IDC_START_EXTENSION},
    {"ClipboardCopy", true, 1, 1, IDC_MODE_CLIPBOARD_COPY, IDC_START_HISTORY},
    {"ClipboardCut", true, 2, 0, IDC_MODE_CLIPBOARD_CUT, IDC_START_EXTENSION},
    {"UsePrevious", true, 3, 1, IDC_MODE_PREVIOUS, IDC_START_HISTORY},
    {"CopyToFolder", true, 4, 0, IDC_MODE_COPY_TO_FOLDER, IDC_START_EXTENSION},
    {"MoveToFolder", true, 5, 1, IDC_MODE_MOVE_TO_FOLDER, IDC_START_HISTORY},
};

INSTANTIATE_TEST_SUITE_P(StoredValues, InitialChoiceTest, ::testing::ValuesIn(kChoices),
                         RowLabel());
INSTANTIATE_TEST_SUITE_P(
    OddValues, InitialChoiceTest,
    ::testing::Values(Choice{"NoKey", false, 0, 0, IDC_MODE_SELECT_ONLY, IDC_START_EXTENSION},
                      Choice{"Mode7Select2", true, 7, 2, IDC_MODE_PREVIOUS, IDC_START_HISTORY}),
    RowLabel());

class ConfirmTest : public SettingsDialogTest, public ::testing::WithParamInterface<Choice> {};

TEST_P(ConfirmTest, OkStoresTheCheckedButtonsAsDwords) {
    const Choice& row = GetParam();
    StoreSettings(7, 9);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, row.ModeButton);
    ClickButton(dialog, row.SelectButton);
    ASSERT_TRUE(IsChecked(dialog, row.ModeButton));
    ClickButton(dialog, IDOK);

    ExpectEnded(dialog);
    ExpectStoredSettings(row.Mode, row.Select);
}

INSTANTIATE_TEST_SUITE_P(Buttons, ConfirmTest, ::testing::ValuesIn(kChoices), RowLabel());

TEST_F(SettingsDialogTest, OkAfterOddStoredValuesStoresTheirMeaning) {
    StoreSettings(7, 2);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, IDOK);
    ExpectStoredSettings(3, 1);
}

TEST_F(SettingsDialogTest, CancelAfterAFreshInstallationStoresZeros) {
    WasInstalled = FALSE;
    StoreSettings(5, 1);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, IDC_MODE_CLIPBOARD_CUT);
    ClickButton(dialog, IDCANCEL);
    ExpectEnded(dialog);
    ExpectStoredSettings(0, 0);
}

TEST_F(SettingsDialogTest, CancelOnAnInstalledSystemWritesNothing) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, IDC_MODE_CLIPBOARD_CUT);
    ClickButton(dialog, IDCANCEL);
    ExpectEnded(dialog);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(SettingsDialogTest, EscapeCancelsThroughTheDialogMessage) {
    StoreSettings(4, 0);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    MSG escape = {dialog, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(IsDialogMessageW(dialog, &escape));
    EXPECT_FALSE(IsWindow(dialog));
    ExpectStoredSettings(4, 0);
}

class CloseBoxTest : public SettingsDialogTest, public ::testing::WithParamInterface<BOOL> {};

TEST_P(CloseBoxTest, WritesNothingWhateverWasInstalled) {
    WasInstalled = GetParam();
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, IDC_MODE_CLIPBOARD_CUT);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectEnded(dialog);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

INSTANTIATE_TEST_SUITE_P(Installed, CloseBoxTest, ::testing::Values(FALSE, TRUE),
                         [](const ::testing::TestParamInfo<BOOL>& row) {
                             return row.param ? "AfterEarlierInstall" : "AfterFreshInstall";
                         });

TEST_F(SettingsDialogTest, OtherCommandsLeaveItOpen) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MODE_PREVIOUS, BN_CLICKED), 0);
    SendMessageA(dialog, WM_COMMAND, 4242, 0);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_FALSE(DrainQuit());
}

// Its template (texts, styles, tab order) is checked once, in vestinst_image_test.
TEST_F(SettingsDialogTest, ShowsTheIconAsSmallAndLargeIcon) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(SettingsDialogTest, OpensCentredOnTheCursor) {
    const RECT frame = FrameWhenOpenedAt({500, 400});
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    EXPECT_EQ(frame.left, 500 - width / 2);
    EXPECT_EQ(frame.top, 400 - height / 2);
}

TEST_F(SettingsDialogTest, NearTheBottomRightCornerEndsAtTheCursor) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT workArea = monitor.rcWork;
    const POINT cursor = {workArea.right - 5, workArea.bottom - 5};
    const RECT frame = FrameWhenOpenedAt(cursor);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    EXPECT_EQ(frame.left, cursor.x - width / 2 - width / 2);
    EXPECT_EQ(frame.top, cursor.y - height / 2 - height / 2);
    EXPECT_LE(frame.right, workArea.right);
    EXPECT_LE(frame.bottom, workArea.bottom);
}

// The Windows 11 package: offered from the first build of Windows 11 on (before it the buttons
// take the box's row), checked while it is registered, and registered or removed by OK only
// when the box says otherwise. A failure is told over the dialog, whose box then shows what
// Windows holds; the other settings are stored all the same and the classic registration stays.
// Windows' own package manager, which Wine lacks, fails cleanly.
struct MenuPackageRow {
    const char* label;
    DWORD Build;
    bool Registered;
    bool ClickBox;
    HRESULT Answer;
    const wchar_t* Call; // null: the package manager is not asked to change anything
    bool Real;
};

class SettingsMenuPackageTest : public SettingsDialogTest,
                                public ::testing::WithParamInterface<MenuPackageRow> {};

TEST_P(SettingsMenuPackageTest, OkChangesThePackageAsTheBoxSays) {
    const MenuPackageRow& row = GetParam();
    OverrideWindowsBuild(row.Build);
    std::unique_ptr<FakeMenuPackages> packages;
    if (!row.Real)
        packages = std::make_unique<FakeMenuPackages>(row.Registered, row.Answer, L"in use");
    StoreRegistration(dll_);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    const bool offered = row.Build >= kFirstWindows11Build;
    const RECT ok = PlaceOf(dialog, IDOK);
    RECT client = {};
    GetClientRect(dialog, &client);
    EXPECT_EQ(ok.top == PlaceOf(dialog, IDC_WINDOWS11_MENU).top, !offered);
    EXPECT_LT(client.bottom - ok.bottom, ok.bottom - ok.top) << "an empty row below the buttons";
    EXPECT_EQ(IsWindowVisible(GetDlgItem(dialog, IDC_WINDOWS11_MENU)) != FALSE, offered);
    EXPECT_EQ(IsChecked(dialog, IDC_WINDOWS11_MENU), offered && row.Registered);
    if (row.ClickBox)
        ClickButton(dialog, IDC_WINDOWS11_MENU);
    ClickButton(dialog, IDC_MODE_CLIPBOARD_CUT);
    bool checkedWhileTold = !row.Registered;
    WindowScript script({[&](HWND box) {
        checkedWhileTold = IsChecked(dialog, IDC_WINDOWS11_MENU);
        ClickButton(box, IDOK);
    }});
    ClickButton(dialog, IDOK);

    ExpectEnded(dialog);
    ExpectStoredSettings(ClipboardCut, 0);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
    const std::wstring call = row.Call == nullptr ? L""
                              : lstrcmpW(row.Call, L"register") != 0
                                  ? row.Call
                                  : L"register " + Wide(*folder_ / Utf8(kMenuPackageFileName)) +
                                        L" " + Wide(folder_->Path());
    if (packages) {
        EXPECT_EQ(packages->Calls,
                  call.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{call});
    }
    ASSERT_EQ(script.Seen().size(), FAILED(row.Answer) ? 1u : 0u);
    if (SUCCEEDED(row.Answer))
        return;
    wchar_t told[kMessageRoom];
    FormMenuPackageFailure(
        told, row.Registered ? IDS_MENU_PACKAGE_NOT_REMOVED : IDS_MENU_PACKAGE_NOT_REGISTERED,
        row.Answer, packages ? L"in use" : L"");
    EXPECT_EQ(script.Seen()[0].Owner, dialog);
    EXPECT_EQ(Utf8(script.Seen()[0].Text), Utf8(told));
    EXPECT_EQ(checkedWhileTold, row.Registered);
}

const MenuPackageRow kMenuPackageRows[] = {
    {"Windows10", kFirstWindows11Build - 1, false, false, S_OK, nullptr, false},
    {"Windows10Registered", kFirstWindows11Build - 1, true, false, S_OK, nullptr, false},
    {"Windows11Unchanged", kFirstWindows11Build, false, false, S_OK, nullptr, false},
    {"Windows11RegisteredUnchanged", kFirstWindows11Build, true, false, S_OK, nullptr, false},
    {"Checked", kFirstWindows11Build, false, true, S_OK, L"register", false},
    {"Unchecked", 26100, true, true, S_OK, L"remove", false},
    {"CheckedButRefused", kFirstWindows11Build, false, true, HRESULT_FROM_WIN32(0x3CF3),
     L"register", false},
    {"UncheckedButRefused", kFirstWindows11Build, true, true, E_ACCESSDENIED, L"remove", false},
    {"WithoutAPackageManager", kFirstWindows11Build, false, true, REGDB_E_CLASSNOTREG, nullptr,
     true},
};

INSTANTIATE_TEST_SUITE_P(Rows, SettingsMenuPackageTest, ::testing::ValuesIn(kMenuPackageRows),
                         RowLabel());

// The user declined to register this folder's DLL over another folder's: a package from here
// would serve the declined DLL and silence the classic entry of the registered one.
TEST_F(SettingsDialogTest, NoPackageIsOfferedBesideAnotherFoldersRegistration) {
    OverrideWindowsBuild(kFirstWindows11Build);
    FakeMenuPackages packages(false, S_OK, L"");
    StoreRegistration(*folder_ / "elsewhere\\Vestrane.dll");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_WINDOWS11_MENU)));
}

TEST_F(SettingsDialogTest, ReadAndWriteKeepFourByteDwords) {
    SetupMode = 99;
    SetupSelect = 99;
    ReadSetupSettings();
    EXPECT_EQ(SetupMode, 0u);
    EXPECT_EQ(SetupSelect, 0u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));

    SetupMode = 4;
    SetupSelect = 1;
    WriteSetupSettings();
    ExpectStoredSettings(4, 1);
    SetupMode = 0;
    SetupSelect = 0;
    ReadSetupSettings();
    EXPECT_EQ(SetupMode, 4u);
    EXPECT_EQ(SetupSelect, 1u);
}

TEST_F(SettingsDialogTest, ReadLeavesZeroForValuesThatCannotBeRead) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t tooLong[] = L"longer than four bytes";
    RegSetValueExW(key, kModeValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(tooLong),
                   sizeof tooLong);
    RegCloseKey(key);
    SetupMode = 99;
    SetupSelect = 99;
    ReadSetupSettings();
    EXPECT_EQ(SetupMode, 0u);
    EXPECT_EQ(SetupSelect, 0u);
}

} // namespace
