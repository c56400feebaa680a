#include "setup/settings_dialog.h"

#include "common/dialog_icon.h"
#include "common/dialog_placement.h"
#include "common/owned.h"
#include "common/shared_facts.h"
#include "setup/menu_package.h"
#include "setup/registration.h"
#include "setup/resource.h"
#include "setup/setup_state.h"
#include "setup/system_facts.h"

namespace {

struct ModeButton {
    int Id;
    DWORD Mode;
};
// In the order OK looks at them; "the previous setting" is what is left.
constexpr ModeButton kModeButtons[] = {
    {IDC_MODE_CLIPBOARD_COPY, ClipboardCopy}, {IDC_MODE_CLIPBOARD_CUT, ClipboardCut},
    {IDC_MODE_SELECT_ONLY, SelectOnly},       {IDC_MODE_COPY_TO_FOLDER, CopyToFolder},
    {IDC_MODE_MOVE_TO_FOLDER, MoveToFolder},
};

void ReadDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD read = 0;
    DWORD size = sizeof read;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size) ==
        ERROR_SUCCESS)
        value = read;
}

void WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Whether the dialog offers the Windows 11 package, and whether it was registered when the
// dialog opened: OK changes it only when the box says otherwise.
bool packageOffered = false;
bool packageWasRegistered = false;

// Where the package is not offered, the dialog is the one it always was: the box goes, and the
// buttons and the frame close up over its row. A package registered here would serve this
// folder's DLL: while Explorer's class names another folder's (the user declined to register
// this one), the box can take a registered package away but adds none, or the classic entry
// would fall silent in favour of a DLL the user chose not to install.
void OfferMenuPackage(HWND dialog) {
    const bool windows11 =
        WindowsBuild() >= kFirstWindows11Build && !WindowsInstallerOwnsInstallation;
    packageWasRegistered = windows11 && MenuPackages().IsRegistered();
    wchar_t registered[MAX_PATH];
    packageOffered = windows11 && (packageWasRegistered || RegisteredDllIsOurs(registered));
    HWND box = GetDlgItem(dialog, IDC_WINDOWS11_MENU);
    if (packageOffered) {
        CheckDlgButton(dialog, IDC_WINDOWS11_MENU,
                       packageWasRegistered ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    RECT boxPlace = {};
    RECT okPlace = {};
    GetWindowRect(box, &boxPlace);
    GetWindowRect(GetDlgItem(dialog, IDOK), &okPlace);
    const LONG rise = okPlace.top - boxPlace.top;
    ShowWindow(box, SW_HIDE);
    for (int id : {IDOK, IDCANCEL}) {
        HWND button = GetDlgItem(dialog, id);
        RECT place = {};
        GetWindowRect(button, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(button, nullptr, place.left, place.top - rise, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top - rise,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Registers or removes the package as the box asks. A failure is told with the box showing what
// Windows holds now; the other settings are stored already, and the classic entry is not
// touched either way.
void ApplyMenuPackageChoice(HWND dialog) {
    const bool wanted = IsDlgButtonChecked(dialog, IDC_WINDOWS11_MENU) == BST_CHECKED;
    if (!packageOffered || wanted == packageWasRegistered)
        return;
    // The package manager's wait handles the thread's messages: no second OK meanwhile.
    EnableWindow(dialog, FALSE);
    PackageErrorText errorText;
    const HRESULT result =
        wanted ? RegisterMenuPackage(errorText) : MenuPackages().Remove(errorText);
    EnableWindow(dialog, TRUE);
    if (SUCCEEDED(result))
        return;
    CheckDlgButton(dialog, IDC_WINDOWS11_MENU, wanted ? BST_UNCHECKED : BST_CHECKED);
    ShowMenuPackageFailure(dialog,
                           wanted ? IDS_MENU_PACKAGE_NOT_REGISTERED : IDS_MENU_PACKAGE_NOT_REMOVED,
                           result, errorText);
}

void CheckStoredChoices(HWND dialog) {
    int modeButton = IDC_MODE_PREVIOUS;
    for (const ModeButton& button : kModeButtons) {
        if (button.Mode == SetupMode)
            modeButton = button.Id;
    }
    CheckDlgButton(dialog, modeButton, BST_CHECKED);
    CheckDlgButton(dialog, SetupSelect == 0 ? IDC_START_EXTENSION : IDC_START_HISTORY, BST_CHECKED);
}

void TakeCheckedChoices(HWND dialog) {
    SetupMode = UsePrevious;
    for (const ModeButton& button : kModeButtons) {
        if (IsDlgButtonChecked(dialog, button.Id) == BST_CHECKED) {
            SetupMode = button.Mode;
            break;
        }
    }
    SetupSelect = IsDlgButtonChecked(dialog, IDC_START_EXTENSION) == BST_CHECKED ? 0 : 1;
}

} // namespace

void ReadSetupSettings() {
    SetupMode = 0;
    SetupSelect = 0;
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.Put()) !=
        ERROR_SUCCESS)
        return;
    ReadDword(key.Get(), kModeValue, SetupMode);
    ReadDword(key.Get(), kSelectValue, SetupSelect);
}

void WriteSetupSettings() {
    RegistryKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        return;
    WriteDword(key.Get(), kModeValue, SetupMode);
    WriteDword(key.Get(), kSelectValue, SetupSelect);
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        ShowDialogIcon(dialog, SetupInstance, IDI_SETUP);
        OfferMenuPackage(dialog);
        // Centred on the cursor, at its final size.
        MoveNearCursor(dialog, 1, 2);
        ReadSetupSettings();
        CheckStoredChoices(dialog);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            TakeCheckedChoices(dialog);
            WriteSetupSettings();
            ApplyMenuPackageChoice(dialog);
            DestroyWindow(dialog);
            break;
        case IDCANCEL:
            // Right after a fresh installation the defaults are written all the same, so
            // the record exists from the start.
            if (!WasInstalled) {
                SetupMode = 0;
                SetupSelect = 0;
                WriteSetupSettings();
            }
            DestroyWindow(dialog);
            break;
        default:
            break;
        }
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_CLOSE)
            DestroyWindow(dialog);
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    default:
        break;
    }
    return 0;
}
