#include "setup/registration.h"

#include <memory>
#include <new>

#include "common/code_page_932.h"
#include "common/shared_facts.h"
#include "setup/folder_safety.h"
#include "setup/key_snapshot.h"
#include "setup/program_paths.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"
#include "setup/setup_texts.h"
#include "setup/system_facts.h"
#include "common/wide_name.h"

namespace {

constexpr char kInprocServer[] = "InprocServer32";

// Section "Rename" of WININIT.INI, read and written whole.
constexpr DWORD kRenameBufferSize = 32000;
constexpr char kRenameEntryKey[] = "Nul=";

struct KeyPath {
    HKEY Root;
    wchar_t Path[MAX_PATH];
};

void FormKeyPath(KeyPath& key, HKEY root, const char* parent, const char* child) {
    char name[MAX_PATH];
    wsprintfA(name, "%s\\%s", parent, child);
    key.Root = root;
    Cp932ToWide(name, key.Path, MAX_PATH);
}

// The keys of the registration, in the order installation writes them: the class, then the
// handler entries of the three places Explorer offers the command (a file, a folder item,
// the background of a folder window), then the uninstall entry.
enum RegisteredKey {
    ClassKey,
    ServerKey,
    HandlerKey,
    FolderHandlerKey,
    BackgroundHandlerKey,
    UninstallKey,
    RegisteredKeyCount
};

void FormRegisteredKeys(KeyPath (&keys)[RegisteredKeyCount]) {
    char classKey[MAX_PATH];
    wsprintfA(classKey, "CLSID\\%s", kClassIdText);
    FormKeyPath(keys[ClassKey], HKEY_CLASSES_ROOT, "CLSID", kClassIdText);
    FormKeyPath(keys[ServerKey], HKEY_CLASSES_ROOT, classKey, kInprocServer);
    FormKeyPath(keys[HandlerKey], HKEY_CLASSES_ROOT, kHandlerParent, kProductName);
    FormKeyPath(keys[FolderHandlerKey], HKEY_CLASSES_ROOT, kFolderHandlerParent, kProductName);
    FormKeyPath(keys[BackgroundHandlerKey], HKEY_CLASSES_ROOT, kBackgroundHandlerParent,
                kProductName);
    FormKeyPath(keys[UninstallKey], HKEY_LOCAL_MACHINE, kUninstallParent, kProductName);
}

// The keys that removal deletes, in the order of deletion: the class key's subkey first, so
// that the class key is left without subkeys.
enum RemovedKey {
    RemovedServer,
    RemovedClass,
    RemovedHandler,
    RemovedFolderHandler,
    RemovedBackgroundHandler,
    RemovedSettings,
    RemovedUninstall,
    RemovedKeyCount
};

void FormRemovedKeys(KeyPath (&keys)[RemovedKeyCount]) {
    KeyPath registered[RegisteredKeyCount];
    FormRegisteredKeys(registered);
    keys[RemovedServer] = registered[ServerKey];
    keys[RemovedClass] = registered[ClassKey];
    keys[RemovedHandler] = registered[HandlerKey];
    keys[RemovedFolderHandler] = registered[FolderHandlerKey];
    keys[RemovedBackgroundHandler] = registered[BackgroundHandlerKey];
    FormKeyPath(keys[RemovedSettings], HKEY_CURRENT_USER, kSettingsParent, kProductName);
    keys[RemovedUninstall] = registered[UninstallKey];
}

// The key as a message names it, with its root.
void FormFullKeyName(wchar_t (&out)[MAX_PATH + 32], const KeyPath& key) {
    const wchar_t* root = key.Root == HKEY_CLASSES_ROOT    ? L"HKEY_CLASSES_ROOT"
                          : key.Root == HKEY_LOCAL_MACHINE ? L"HKEY_LOCAL_MACHINE"
                                                           : L"HKEY_CURRENT_USER";
    wsprintfW(out, L"%s\\%s", root, key.Path);
}

// Stored with its terminator, as REG_SZ.
bool SetString(HKEY key, const char* name, const wchar_t* value) {
    return RegSetValueExW(
               key, WideName(name).Text(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
               static_cast<DWORD>((lstrlenW(value) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool SetCp932String(HKEY key, const char* name, const char* value) {
    return SetString(key, name, WideName(value).Text());
}

// Creates the key (or opens it) and sets its values; false when any of that fails.
bool WriteKey(const KeyPath& path, RegisteredKey which) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(path.Root, path.Path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool written = false;
    switch (which) {
    case ClassKey:
        written = SetCp932String(key, nullptr, kProductName);
        break;
    case ServerKey:
        written =
            SetString(key, nullptr, DllPath) && SetCp932String(key, "ThreadingModel", "Apartment");
        break;
    case HandlerKey:
    case FolderHandlerKey:
    case BackgroundHandlerKey:
        written = SetCp932String(key, nullptr, kClassIdText);
        break;
    case UninstallKey: {
        wchar_t command[MAX_PATH];
        written = FormUninstallCommand(command, ProgramPath) &&
                  SetCp932String(key, "DisplayName", kProductName) &&
                  SetString(key, "UninstallString", command);
        break;
    }
    default:
        break;
    }
    RegCloseKey(key);
    return written;
}

// Puts back snapshots[last] down to snapshots[0], the reverse of the order they were changed
// in, so that a subkey is gone before its parent is deleted. false when any of them fails.
bool PutBackDownFrom(const KeySnapshot* snapshots, int last) {
    bool done = true;
    for (int index = last; index >= 0; --index)
        done = snapshots[index].PutBack() && done;
    return done;
}

// Names the key that failed and says whether the run's changes were put back.
void ShowKeyFailure(HWND owner, const char* text, const KeyPath& key, bool putBack = true) {
    wchar_t name[MAX_PATH + 32];
    FormFullKeyName(name, key);
    wchar_t outcome[128];
    Cp932ToWide(putBack ? kTextChangesPutBack : kTextChangesNotPutBack, outcome, 128);
    ShowMessage(owner, text, kCaptionError, MB_OK, name, outcome);
}

void ScheduleDeletionByMoveFile() {
    MoveFileExW(ProgramPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExW(DllPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// Appends "Nul=<short path>" and its terminator at end. WININIT.INI belongs to the platform
// family without Unicode, which reads it in its ANSI code page: the short path is converted to
// that code page without "best fit", and a path that has no exact form there gets no entry,
// since a character changed into another ("¥" into "\") would name some other file. Returns
// the new end, or end itself when no entry is written. Returns null when the entry, with the
// list's closing NUL after it, would pass limit.
char* AppendRenameEntry(char* end, const char* limit, const wchar_t* path) {
    wchar_t shortWide[MAX_PATH];
    const DWORD wideLength = GetShortPathNameW(path, shortWide, MAX_PATH);
    if (wideLength == 0 || wideLength >= MAX_PATH)
        return end;
    char shortPath[MAX_PATH * 2];
    BOOL changed = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortWide, -1, shortPath,
                                          sizeof shortPath, nullptr, &changed);
    if (bytes <= 0 || changed)
        return end;
    const size_t length = static_cast<size_t>(bytes) - 1;
    const size_t keyLength = sizeof kRenameEntryKey - 1;
    if (static_cast<size_t>(limit - end) < keyLength + length + 2)
        return nullptr;
    CopyMemory(end, kRenameEntryKey, keyLength);
    CopyMemory(end + keyLength, shortPath, length + 1);
    return end + keyLength + length + 1;
}

// Adds one "Nul=" entry for the program and one for the DLL behind the entries that the
// section already holds, which keep their order. A section too full for the new entries
// is left as it is.
void ScheduleDeletionInWininit() {
    char iniPath[MAX_PATH + 16];
    const UINT folderLength = GetWindowsDirectoryA(iniPath, MAX_PATH);
    if (folderLength == 0 || folderLength >= MAX_PATH)
        return;
    lstrcatA(iniPath, "\\WinInit.ini");

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kRenameBufferSize]);
    if (!buffer)
        return;
    char* const start = buffer.get();
    const DWORD read = GetPrivateProfileSectionA("Rename", start, kRenameBufferSize, iniPath);
    // A result of size - 2 means the section did not fit and was cut short.
    if (read >= kRenameBufferSize - 2)
        return;
    // The entries end with a NUL each; "read" counts them all but the list's closing NUL.
    char* end = start + read;
    const char* const limit = start + kRenameBufferSize;

    char* afterProgram = AppendRenameEntry(end, limit, ProgramPath);
    if (afterProgram == nullptr)
        return;
    char* afterDll = AppendRenameEntry(afterProgram, limit, DllPath);
    if (afterDll == nullptr || afterDll == end)
        return;
    *afterDll = '\0';
    WritePrivateProfileSectionA("Rename", start, iniPath);
}

bool SameFile(const wchar_t* first, const wchar_t* second) {
    BY_HANDLE_FILE_INFORMATION info[2] = {};
    const wchar_t* paths[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        HANDLE file =
            CreateFileW(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        const BOOL known = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!known)
            return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

} // namespace

RegistrationResult InstallExtension(HWND owner) {
    if (ShowMessage(owner, kTextInstallQuestion, kCaptionVestrane, MB_YESNO) != IDYES)
        return RegistrationDeclined;
    return RegisterExtension(owner);
}

RegistrationResult RegisterExtension(HWND owner) {
    wchar_t folder[MAX_PATH];
    if (OthersMayReplaceDll(DllPath, folder)) {
        wchar_t recommended[MAX_PATH];
        RecommendedFolder(recommended);
        if (ShowMessage(owner, kTextUnsafeFolderQuestion, kCaptionVestrane,
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, folder, recommended) != IDYES)
            return RegistrationDeclined;
    }

    KeyPath keys[RegisteredKeyCount];
    FormRegisteredKeys(keys);
    KeySnapshot before[RegisteredKeyCount];
    for (int index = 0; index < RegisteredKeyCount; ++index) {
        if (!before[index].Take(keys[index].Root, keys[index].Path)) {
            ShowKeyFailure(owner, kTextCannotInstall, keys[index]);
            return RegistrationFailed;
        }
    }
    for (int index = 0; index < RegisteredKeyCount; ++index) {
        if (!WriteKey(keys[index], static_cast<RegisteredKey>(index))) {
            const bool putBack = PutBackDownFrom(before, index);
            ShowKeyFailure(owner, kTextCannotInstall, keys[index], putBack);
            return RegistrationFailed;
        }
    }
    return Registered;
}

bool RegisteredDllIsOurs(wchar_t (&registered)[MAX_PATH]) {
    registered[0] = L'\0';
    KeyPath keys[RegisteredKeyCount];
    FormRegisteredKeys(keys);
    HKEY server = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keys[ServerKey].Path, 0, KEY_QUERY_VALUE, &server) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = REG_NONE;
    DWORD size = sizeof registered - sizeof(wchar_t);
    const LONG read = RegQueryValueExW(server, nullptr, nullptr, &type,
                                       reinterpret_cast<BYTE*>(registered), &size);
    RegCloseKey(server);
    if (read != ERROR_SUCCESS || type != REG_SZ) {
        registered[0] = L'\0';
        return false;
    }
    registered[size / sizeof(wchar_t)] = L'\0';
    return SameFile(registered, DllPath);
}

bool UninstallExtension() {
    const DWORD platformId = PlatformId();

    KeyPath keys[RemovedKeyCount];
    FormRemovedKeys(keys);
    KeySnapshot before[RemovedKeyCount];
    for (int index = 0; index < RemovedKeyCount; ++index) {
        if (!before[index].Take(keys[index].Root, keys[index].Path)) {
            ShowKeyFailure(GetDesktopWindow(), kTextCannotUninstall, keys[index]);
            return false;
        }
    }
    // A class key without "InprocServer32" is not this program's registration: it is left
    // alone.
    if (before[RemovedClass].Existed() && !before[RemovedServer].Existed()) {
        ShowKeyFailure(GetDesktopWindow(), kTextCannotUninstall, keys[RemovedServer]);
        return false;
    }
    for (int index = 0; index < RemovedKeyCount; ++index) {
        const LONG deleted = RegDeleteKeyW(keys[index].Root, keys[index].Path);
        if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) {
            const bool putBack = PutBackDownFrom(before, index - 1);
            ShowKeyFailure(GetDesktopWindow(), kTextCannotUninstall, keys[index], putBack);
            return false;
        }
    }

    if (platformId == VER_PLATFORM_WIN32_NT)
        ScheduleDeletionByMoveFile();
    else
        ScheduleDeletionInWininit();

    wchar_t textFile[MAX_PATH];
    if (PathBesideProgram(textFile, ProgramPath, kTextFileName))
        DeleteFileW(textFile);

    ShowMessage(GetDesktopWindow(), kTextUninstalled, kCaptionVestrane, MB_OK);
    return true;
}
