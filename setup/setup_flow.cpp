#include "setup/setup_flow.h"

#include "common/shared_facts.h"
#include "setup/program_paths.h"
#include "setup/registration.h"
#include "setup/resource.h"
#include "setup/settings_dialog.h"
#include "setup/setup_state.h"
#include "setup/setup_texts.h"
#include "setup/system_facts.h"

namespace {

void ShowMessage(const char* text, const char* caption) {
    MessageBoxA(GetDesktopWindow(), text, caption, MB_OK);
}

// Finds ProgramPath and DllPath. A path too long for them, or for the uninstall command
// that installation writes, is refused rather than cut short.
bool LocateFiles() {
    char command[MAX_PATH];
    return ReadProgramPath(ProgramPath) && PathBesideProgram(DllPath, ProgramPath, kDllFileName) &&
           FormUninstallCommand(command, ProgramPath);
}

// Only opened, never read: a DLL that is missing or held open for writing refuses.
bool DllIsPresent() {
    HANDLE file = CreateFileA(DllPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// A UNC path gives the root "\:\", which is no fixed drive either.
bool RunsFromFixedDisk() {
    char root[MAX_PATH] = " :\\";
    root[0] = ProgramPath[0];
    return GetDriveTypeA(root) == DRIVE_FIXED;
}

bool ClassIsRegistered() {
    char name[MAX_PATH];
    wsprintfA(name, "CLSID\\%s", kClassIdText);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

int RunSettingsDialog(HINSTANCE instance) {
    SetupInstance = instance;
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), GetDesktopWindow(),
                                     SettingsDialogProc, 0);
    // Without the dialog nothing would ever end the message loop.
    if (dialog == nullptr)
        return 1;
    ShowWindow(dialog, SW_SHOW);
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int RunSetup(HINSTANCE instance, const char* arguments) {
    if (!LocateFiles()) {
        ShowMessage(kTextPathTooLong, kCaptionError);
        return 0;
    }
    if (!DllIsPresent()) {
        ShowMessage(kTextDllMissing, kCaptionError);
        return 0;
    }
    if (arguments != nullptr && arguments[0] == 'u') {
        UninstallExtension();
        return 0;
    }
    if (!RunsFromFixedDisk()) {
        ShowMessage(kTextNotHardDisk, kCaptionError);
        return 0;
    }
    WasInstalled = FALSE;
    if (ClassIsRegistered()) {
        WasInstalled = TRUE;
    } else {
        if (!InstallExtension(GetDesktopWindow()))
            return 0;
        ShowMessage(kTextInstalled, kCaptionVestrane);
    }
    return RunSettingsDialog(instance);
}
