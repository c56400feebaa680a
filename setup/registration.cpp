#include "setup/registration.h"

#include <cstring>
#include <memory>
#include <new>

#include "common/shared_facts.h"
#include "setup/program_paths.h"
#include "setup/setup_state.h"
#include "setup/setup_texts.h"
#include "setup/system_facts.h"

namespace {

constexpr char kInprocServer[] = "InprocServer32";

// Section "Rename" of WININIT.INI, read and written whole.
constexpr DWORD kRenameBufferSize = 32000;
constexpr char kRenameEntryKey[] = "Nul=";

HKEY CreateKey(HKEY root, const char* name, REGSAM access) {
    HKEY key = nullptr;
    char noClass[] = "";
    if (RegCreateKeyExA(root, name, 0, noClass, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// Stored with its terminator, as REG_SZ.
void SetString(HKEY key, const char* name, const char* value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(std::strlen(value) + 1));
}

void FormKeyName(char (&name)[MAX_PATH], const char* parent, const char* child) {
    wsprintfA(name, "%s\\%s", parent, child);
}

// Opens parent and deletes its child. Returns the deletion's result, or the opening's
// when the parent does not open.
LONG DeleteChildKey(HKEY root, const char* parent, const char* child) {
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(root, parent, 0, KEY_QUERY_VALUE, &key);
    if (opened != ERROR_SUCCESS)
        return opened;
    const LONG deleted = RegDeleteKeyA(key, child);
    RegCloseKey(key);
    return deleted;
}

void ScheduleDeletionByMoveFile() {
    MoveFileExA(ProgramPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(DllPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// Appends "Nul=<short path>" and its terminator at end. Returns the new end, or end
// itself when the short path cannot be formed (no entry for that file). Returns null when
// the entry, with the list's closing NUL after it, would pass limit.
char* AppendRenameEntry(char* end, const char* limit, const char* path) {
    char shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameA(path, shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return end;
    const size_t keyLength = sizeof kRenameEntryKey - 1;
    if (static_cast<size_t>(limit - end) < keyLength + length + 2)
        return nullptr;
    std::memcpy(end, kRenameEntryKey, keyLength);
    std::memcpy(end + keyLength, shortPath, length + 1);
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

} // namespace

int InstallExtension(HWND owner) {
    if (MessageBoxA(owner, kTextInstallQuestion, kCaptionVestrane, MB_YESNO) != IDYES)
        return 0;

    char name[MAX_PATH];
    FormKeyName(name, "CLSID", kClassIdText);
    HKEY classKey = CreateKey(HKEY_CLASSES_ROOT, name, KEY_CREATE_SUB_KEY | KEY_SET_VALUE);
    if (classKey == nullptr) {
        MessageBoxA(owner, kTextCannotInstall, kCaptionError, MB_OK);
        return 0;
    }
    SetString(classKey, nullptr, kProductName);
    if (HKEY server = CreateKey(classKey, kInprocServer, KEY_SET_VALUE)) {
        SetString(server, nullptr, DllPath);
        SetString(server, "ThreadingModel", "Apartment");
        RegCloseKey(server);
    }
    RegCloseKey(classKey);

    FormKeyName(name, kHandlerParent, kProductName);
    if (HKEY handler = CreateKey(HKEY_CLASSES_ROOT, name, KEY_SET_VALUE)) {
        SetString(handler, nullptr, kClassIdText);
        RegCloseKey(handler);
    }

    FormKeyName(name, kUninstallParent, kProductName);
    if (HKEY entry = CreateKey(HKEY_LOCAL_MACHINE, name, KEY_SET_VALUE)) {
        SetString(entry, "DisplayName", kProductName);
        char command[MAX_PATH];
        if (FormUninstallCommand(command, ProgramPath))
            SetString(entry, "UninstallString", command);
        RegCloseKey(entry);
    }
    return 1;
}

void UninstallExtension() {
    const DWORD platformId = PlatformId();

    // The subkey goes first so that the class key is left without subkeys. Only this
    // deletion decides whether the removal goes on: when it fails while the class key
    // exists, the user lacks the rights and everything stays as it was.
    char name[MAX_PATH];
    FormKeyName(name, "CLSID", kClassIdText);
    HKEY classKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name, 0, KEY_QUERY_VALUE, &classKey) == ERROR_SUCCESS) {
        const LONG deleted = RegDeleteKeyA(classKey, kInprocServer);
        RegCloseKey(classKey);
        if (deleted != ERROR_SUCCESS) {
            MessageBoxA(GetDesktopWindow(), kTextCannotUninstall, kCaptionError, MB_OK);
            return;
        }
    }
    DeleteChildKey(HKEY_CLASSES_ROOT, "CLSID", kClassIdText);
    DeleteChildKey(HKEY_CLASSES_ROOT, kHandlerParent, kProductName);
    DeleteChildKey(HKEY_CURRENT_USER, kSettingsParent, kProductName);
    DeleteChildKey(HKEY_LOCAL_MACHINE, kUninstallParent, kProductName);

    if (platformId == VER_PLATFORM_WIN32_NT)
        ScheduleDeletionByMoveFile();
    else
        ScheduleDeletionInWininit();

    char textFile[MAX_PATH];
    if (PathBesideProgram(textFile, ProgramPath, kTextFileName))
        DeleteFileA(textFile);

    MessageBoxA(GetDesktopWindow(), kTextUninstalled, kCaptionVestrane, MB_OK);
}
