#include "setup/settings_dialog.h"

#include "common/dialog_icon.h"
#include "common/shared_facts.h"
#include "setup/resource.h"
#include "setup/setup_state.h"
#include "setup/wide_name.h"

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

void ReadDword(HKEY key, const char* name, DWORD& value) {
    DWORD read = 0;
    DWORD size = sizeof read;
    if (RegQueryValueExW(key, WideName(name).Text(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&read), &size) == ERROR_SUCCESS)
        value = read;
}

void WriteDword(HKEY key, const char* name, DWORD value) {
    RegSetValueExW(key, WideName(name).Text(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
}

void MoveNearCursor(HWND dialog) {
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    POINT cursor = {};
    GetCursorPos(&cursor);
    const SIZE size = {frame.right - frame.left, frame.bottom - frame.top};
    const POINT at = PlaceNearCursor(cursor, size, workArea);
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
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
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, WideName(kSettingsKey).Text(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    ReadDword(key, kModeValue, SetupMode);
    ReadDword(key, kSelectValue, SetupSelect);
    RegCloseKey(key);
}

void WriteSetupSettings() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, WideName(kSettingsKey).Text(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    WriteDword(key, kModeValue, SetupMode);
    WriteDword(key, kSelectValue, SetupSelect);
    RegCloseKey(key);
}

POINT PlaceNearCursor(POINT cursor, SIZE dialog, const RECT& workArea) {
    POINT at = {cursor.x - dialog.cx / 2, cursor.y - dialog.cy / 2};
    if (at.x + dialog.cx > workArea.right)
        at.x -= dialog.cx / 2;
    if (at.y + dialog.cy > workArea.bottom)
        at.y -= dialog.cy / 2;
    if (at.x < 0)
        at.x = 0;
    if (at.y < 0)
        at.y = 0;
    return at;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        ShowDialogIcon(dialog, SetupInstance, IDI_SETUP);
        MoveNearCursor(dialog);
        ReadSetupSettings();
        CheckStoredChoices(dialog);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            TakeCheckedChoices(dialog);
            WriteSetupSettings();
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
