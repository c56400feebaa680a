#include "setup/setup_flow.h"

#include "common/message_box.h"
#include "common/owned.h"
#include "common/registry_entries.h"
#include "common/resource_text.h"
#include "setup/menu_package.h"
#include "setup/program_paths.h"
#include "setup/registration.h"
#include "setup/resource.h"
#include "setup/settings_dialog.h"
#include "setup/setup_state.h"
#include "setup/system_facts.h"

namespace {

void ShowError(UINT text) {
    ShowMessage(GetDesktopWindow(), SetupInstance, text, IDS_CAPTION_ERROR, MB_OK);
}

// Finds ProgramPath and DllPath. A path too long for them, or for the uninstall command
// that installation writes, is refused rather than cut short.
bool LocateFiles() {
    wchar_t command[MAX_PATH];
    return ReadProgramPath(ProgramPath) && PathBesideProgram(DllPath, ProgramPath, kDllFileName) &&
           FormUninstallCommand(command, ProgramPath);
}

// Only opened, never read: a DLL that is missing or held open for writing refuses.
bool DllIsPresent() {
    return KernelHandle(CreateFileW(DllPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr))
        .Valid();
}

// A UNC path gives the root "\:\", which is no fixed drive either.
bool RunsFromFixedDisk() {
    wchar_t root[] = L" :\\";
    root[0] = ProgramPath[0];
    return GetDriveTypeW(root) == DRIVE_FIXED;
}

// The first entry of the registration is the class key's.
bool ClassIsRegistered() {
    wchar_t name[MAX_PATH];
    RegistryKey key;
    return FormEntryKey(kRegistryEntries[0], name, MAX_PATH) &&
           RegOpenKeyExW(HKEY_CLASSES_ROOT, name, 0, KEY_QUERY_VALUE, key.Put()) == ERROR_SUCCESS;
}

// A registration of a DLL in another folder: offers to register this folder's DLL instead.
// Declining keeps the registration as it is.
bool ReRegisterWhenElsewhere() {
    wchar_t registered[MAX_PATH];
    if (RegisteredDllIsOurs(registered))
        return true;
    if (ShowMessage(GetDesktopWindow(), SetupInstance, IDS_OTHER_FOLDER_QUESTION,
                    IDS_CAPTION_VESTRANE, MB_YESNO, {registered}) != IDYES)
        return true;
    switch (RegisterExtension(GetDesktopWindow())) {
    case Registered:
        ShowMessage(GetDesktopWindow(), SetupInstance, IDS_INSTALLED, IDS_CAPTION_VESTRANE, MB_OK);
        return true;
    case RegistrationDeclined:
        return true;
    default:
        return false;
    }
}

// The Windows 11 package names this folder, whose files removal deletes: it goes first, and
// when it cannot, nothing else does.
bool RemoveMenuPackage() {
    if (!MenuPackages().IsRegistered())
        return true;
    PackageErrorText errorText;
    const HRESULT result = MenuPackages().Remove(errorText);
    if (SUCCEEDED(result))
        return true;
    ShowMenuPackageFailure(GetDesktopWindow(), IDS_MENU_PACKAGE_NOT_REMOVED, result, errorText);
    return false;
}

int RunSettingsDialog(HINSTANCE instance) {
    const DLGTEMPLATE* settings = DialogTemplate(instance, IDD_SETTINGS);
    HWND dialog = settings != nullptr ? CreateDialogIndirectParamW(instance, settings,
                                                                   GetDesktopWindow(),
                                                                   SettingsDialogProc, 0)
                                      : nullptr;
    // Without the dialog nothing would ever end the message loop.
    if (dialog == nullptr)
        return 1;
    ShowWindow(dialog, SW_SHOW);
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int RunSetup(HINSTANCE instance, const char* arguments) {
    SetupInstance = instance;
    if (!LocateFiles()) {
        ShowError(IDS_PATH_TOO_LONG);
        return kExitFailed;
    }
    if (!DllIsPresent()) {
        ShowError(IDS_DLL_MISSING);
        return kExitFailed;
    }
    // The 32-bit program sees the 32-bit view of the class and the uninstall entry, while the
    // handler keys are shared by both views: a registration would land where the 64-bit
    // Explorer never reads, and a removal would delete the 64-bit registration's handlers and
    // leave its class and uninstall entry behind.
    if (RunsUnderWow64()) {
        ShowError(IDS_NEEDS_X64_SETUP);
        return kExitFailed;
    }
    const bool removal = arguments != nullptr && arguments[0] == 'u';
    // The package's installation is the package's to change: its removal goes through Apps &
    // Features, and only the settings are this program's.
    wchar_t packageFolder[MAX_PATH];
    WindowsInstallerOwnsInstallation = PackageOwnsInstallation(packageFolder);
    if (WindowsInstallerOwnsInstallation) {
        if (removal) {
            ShowMessage(GetDesktopWindow(), SetupInstance, IDS_PACKAGE_INSTALLATION,
                        IDS_CAPTION_VESTRANE, MB_OK, {packageFolder});
            return kExitFailed;
        }
        WasInstalled = TRUE;
        return RunSettingsDialog(instance);
    }
    if (removal)
        return RemoveMenuPackage() && UninstallExtension() ? 0 : kExitFailed;
    if (!RunsFromFixedDisk()) {
        ShowError(IDS_NOT_HARD_DISK);
        return kExitFailed;
    }
    WasInstalled = FALSE;
    if (ClassIsRegistered()) {
        WasInstalled = TRUE;
        if (!ReRegisterWhenElsewhere())
            return kExitFailed;
    } else {
        switch (InstallExtension(GetDesktopWindow())) {
        case Registered:
            break;
        case RegistrationDeclined:
            return 0;
        default:
            return kExitFailed;
        }
        ShowMessage(GetDesktopWindow(), SetupInstance, IDS_INSTALLED, IDS_CAPTION_VESTRANE, MB_OK);
    }
    return RunSettingsDialog(instance);
}
