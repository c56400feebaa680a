#include "setup/setup_flow.h"

#include "common/message_box.h"
#include "common/owned.h"
#include "common/registry_entries.h"
#include "common/resource_text.h"
#include "setup/command_line.h"
#include "setup/folder_safety.h"
#include "setup/menu_package.h"
#include "setup/program_paths.h"
#include "setup/registration.h"
#include "setup/resource.h"
#include "setup/run_log.h"
#include "setup/settings_dialog.h"
#include "setup/setup_state.h"
#include "setup/system_facts.h"

namespace {

// Set for the run of a command line with /quiet.
bool quiet = false;
// A quiet run's own code for what the steps of an installed system end with: a No that left
// things as they were, which the run goes on from, or a failure that ends it with kExitFailed.
int quietOutcome = kExitDone;

// The exit code of a failure: its own in a quiet run, whose caller learns only the code.
int Failure(int quietCode) {
    return quiet ? quietCode : kExitFailed;
}

void NoteQuietOutcome(int code) {
    if (quiet && quietOutcome == kExitDone)
        quietOutcome = code;
}

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

// A registration of a DLL in another folder: offers to register this folder's DLL instead.
// Declining keeps the registration as it is.
bool ReRegisterWhenElsewhere() {
    wchar_t registered[MAX_PATH];
    if (RegisteredDllIsOurs(registered)) {
        // Quietly the folder check before a repair is answered No: the entries stay missing.
        const RegistrationResult repaired = RepairRegistration(GetDesktopWindow());
        if (repaired != Registered)
            NoteQuietOutcome(repaired == RegistrationDeclined ? kExitUnsafeFolder
                                                              : kExitRegistrationFailed);
        return repaired != RegistrationFailed;
    }
    if (ShowMessage(GetDesktopWindow(), SetupInstance, IDS_OTHER_FOLDER_QUESTION,
                    IDS_CAPTION_VESTRANE, MB_YESNO, {registered}) != IDYES) {
        NoteQuietOutcome(kExitOtherFolderRegistered);
        return true;
    }
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

// /package: a step of its own, also beside a Windows Installer installation, whose package runs
// it. A package is added only while Explorer's class names this folder's DLL, which the package
// serves: otherwise it would silence the classic entry of the DLL that is registered.
int RunMenuPackageStep(bool add) {
    PackageErrorText errorText;
    HRESULT result = S_OK;
    if (add) {
        wchar_t registered[MAX_PATH];
        if (!RegisteredDllIsOurs(registered)) {
            ShowMessage(GetDesktopWindow(), SetupInstance, IDS_MENU_PACKAGE_NOT_OURS,
                        IDS_CAPTION_ERROR, MB_OK, {registered});
            return Failure(kExitOtherFolderRegistered);
        }
        result = RegisterMenuPackage(errorText);
    } else {
        result = MenuPackages().Remove(errorText);
    }
    if (SUCCEEDED(result))
        return kExitDone;
    ShowMenuPackageFailure(GetDesktopWindow(),
                           add ? IDS_MENU_PACKAGE_NOT_REGISTERED : IDS_MENU_PACKAGE_NOT_REMOVED,
                           result, errorText);
    return Failure(kExitMenuPackageFailed);
}

// Beside a Windows Installer installation the program registers nothing, yet every Explorer
// loads the package's DLL all the same, from a folder that the package never checked: the
// user hears of it as of a folder of the program's own installation. False when others may
// change it.
bool PackageFolderIsSafe(const wchar_t* packageFolder) {
    wchar_t dll[MAX_PATH];
    wchar_t blamed[MAX_PATH];
    if (!PathBesideProgram(dll, packageFolder, kDllFileName) || !OthersMayReplaceDll(dll, blamed))
        return true;
    wchar_t recommended[MAX_PATH];
    RecommendedFolder(recommended);
    ShowMessage(GetDesktopWindow(), SetupInstance, IDS_UNSAFE_PACKAGE_FOLDER, IDS_CAPTION_VESTRANE,
                MB_OK | MB_ICONWARNING, {blamed, recommended});
    return false;
}

int RunSettingsDialog(HINSTANCE instance) {
    const DLGTEMPLATE* settings = DialogTemplate(instance, IDD_SETTINGS);
    HWND dialog = settings != nullptr
                      ? CreateDialogIndirectParamW(instance, settings, GetDesktopWindow(),
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

// A quiet run stores the settings as they are, or the defaults, where the dialog would have
// let the user choose; it stores nothing when it kept another folder's registration.
int FinishWithSettings(HINSTANCE instance) {
    if (!quiet)
        return RunSettingsDialog(instance);
    if (quietOutcome != kExitDone)
        return quietOutcome;
    ReadSetupSettings();
    WriteSetupSettings();
    return kExitDone;
}

int RunCommand(HINSTANCE instance, const SetupCommand& command) {
    if (!LocateFiles()) {
        ShowError(IDS_PATH_TOO_LONG);
        return Failure(kExitPathTooLong);
    }
    if (!DllIsPresent()) {
        ShowError(IDS_DLL_MISSING);
        return Failure(kExitDllMissing);
    }
    // The 32-bit program sees the 32-bit view of the class and the uninstall entry, while the
    // handler keys are shared by both views: a registration would land where the 64-bit
    // Explorer never reads, and a removal would delete the 64-bit registration's handlers and
    // leave its class and uninstall entry behind.
    if (RunsUnderWow64()) {
        ShowError(IDS_NEEDS_X64_SETUP);
        return Failure(kExitNeedsX64Setup);
    }
    if (command.Action == SetupAction::AddMenuPackage ||
        command.Action == SetupAction::RemoveMenuPackage)
        return RunMenuPackageStep(command.Action == SetupAction::AddMenuPackage);
    const bool removal = command.Action == SetupAction::Remove;
    // The package's installation is the package's to change: its removal goes through Apps &
    // Features, and only the settings are this program's.
    wchar_t packageFolder[MAX_PATH];
    WindowsInstallerOwnsInstallation = PackageOwnsInstallation(packageFolder);
    if (WindowsInstallerOwnsInstallation) {
        if (removal) {
            ShowMessage(GetDesktopWindow(), SetupInstance, IDS_PACKAGE_INSTALLATION,
                        IDS_CAPTION_VESTRANE, MB_OK, {packageFolder});
            return Failure(kExitPackageInstallation);
        }
        if (!PackageFolderIsSafe(packageFolder) && quiet)
            return kExitUnsafeFolder;
        WasInstalled = TRUE;
        return FinishWithSettings(instance);
    }
    if (removal) {
        if (!RemoveMenuPackage())
            return Failure(kExitMenuPackageFailed);
        return UninstallExtension() ? kExitDone : Failure(kExitRemovalFailed);
    }
    if (!RunsFromFixedDisk()) {
        ShowError(IDS_NOT_HARD_DISK);
        return Failure(kExitNotFixedDisk);
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
            // Quietly, only the question about the folder is answered No.
            return quiet ? kExitUnsafeFolder : 0;
        default:
            return Failure(kExitRegistrationFailed);
        }
        ShowMessage(GetDesktopWindow(), SetupInstance, IDS_INSTALLED, IDS_CAPTION_VESTRANE, MB_OK);
    }
    return FinishWithSettings(instance);
}

} // namespace

int RunSetup(HINSTANCE instance, const wchar_t* arguments) {
    SetupInstance = instance;
    const SetupCommand command = ReadSetupCommand(arguments);
    quiet = command.Quiet;
    quietOutcome = kExitDone;
    RunLog account(command.Quiet, command.LogPath);
    if (!account.Opened()) {
        ShowMessage(GetDesktopWindow(), SetupInstance, IDS_LOG_NOT_WRITABLE, IDS_CAPTION_ERROR,
                    MB_OK, {command.LogPath});
        return Failure(kExitBadCommandLine);
    }
    if (!command.Understood) {
        ShowMessage(GetDesktopWindow(), SetupInstance, IDS_BAD_COMMAND_LINE, IDS_CAPTION_ERROR,
                    MB_OK, {arguments});
        return account.End(Failure(kExitBadCommandLine));
    }
    const int code = RunCommand(instance, command);
    return account.End(code == kExitFailed && quietOutcome != kExitDone ? quietOutcome : code);
}
