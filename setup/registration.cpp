#include "setup/registration.h"

#include <memory>
#include <new>

#include "common/code_page_932.h"
#include "common/message_box.h"
#include "common/resource_text.h"
#include "common/owned.h"
#include "common/registry_entries.h"
#include "common/shared_facts.h"
#include "common/wide_name.h"
#include "setup/folder_safety.h"
#include "setup/key_snapshot.h"
#include "setup/program_paths.h"
#include "setup/resource.h"
#include "setup/setup_state.h"
#include "setup/system_facts.h"

namespace {

// Section "Rename" of WININIT.INI, read and written whole.
constexpr DWORD kRenameBufferSize = 32000;
constexpr char kRenameEntryKey[] = "Nul=";

struct KeyPath {
    HKEY Root = nullptr;
    wchar_t Path[MAX_PATH] = {};
};

// The keys of the registration, each once, in the order the table first names them, and
// after them the current user's settings, which removal deletes as well.
struct RegistrationKeys {
    KeyPath Keys[kRegistryEntryCount + 1];
    int Count = 0;
    // The index in Keys of each entry's key.
    int KeyOf[kRegistryEntryCount] = {};
    int Settings = 0;
};

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
}

int AddKey(RegistrationKeys& keys, HKEY root, const wchar_t* path) {
    for (int index = 0; index < keys.Count; ++index) {
        if (keys.Keys[index].Root == root && lstrcmpiW(keys.Keys[index].Path, path) == 0)
            return index;
    }
    KeyPath& key = keys.Keys[keys.Count];
    key.Root = root;
    lstrcpynW(key.Path, path, MAX_PATH);
    return keys.Count++;
}

void FormRegistrationKeys(RegistrationKeys& keys) {
    for (int index = 0; index < kRegistryEntryCount; ++index) {
        wchar_t path[MAX_PATH];
        FormEntryKey(kRegistryEntries[index], path, MAX_PATH);
        keys.KeyOf[index] = AddKey(keys, RootKey(kRegistryEntries[index].Root), path);
    }
    keys.Settings = AddKey(keys, HKEY_CURRENT_USER, WideName(kSettingsKey).Text());
}

// The entry that holds the DLL's path: the class key's "InprocServer32".
int ServerEntry() {
    for (int index = 0; index < kRegistryEntryCount; ++index) {
        if (kRegistryEntries[index].Data == EntryData::DllPath)
            return index;
    }
    return 0;
}

// The key as a message names it, with its root.
void FormFullKeyName(wchar_t (&out)[MAX_PATH + 32], const KeyPath& key) {
    const wchar_t* root = key.Root == HKEY_CLASSES_ROOT    ? L"HKEY_CLASSES_ROOT"
                          : key.Root == HKEY_LOCAL_MACHINE ? L"HKEY_LOCAL_MACHINE"
                                                           : L"HKEY_CURRENT_USER";
    wsprintfW(out, L"%s\\%s", root, key.Path);
}

// The data the entry stores; false when it does not fit.
bool FormEntryData(const RegistryEntry& entry, wchar_t (&out)[MAX_PATH]) {
    switch (entry.Data) {
    case EntryData::DllPath:
        lstrcpynW(out, DllPath, MAX_PATH);
        return true;
    case EntryData::UninstallCommand:
        return FormUninstallCommand(out, ProgramPath);
    default:
        Cp932ToWide(entry.Text, out, MAX_PATH);
        return true;
    }
}

// Creates the entry's key (or opens it) and sets its value, stored with its terminator as
// REG_SZ; false when any of that fails.
bool WriteEntry(const KeyPath& path, const RegistryEntry& entry) {
    wchar_t data[MAX_PATH];
    RegistryKey key;
    return FormEntryData(entry, data) &&
           RegCreateKeyExW(path.Root, path.Path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                           nullptr, key.Put(), nullptr) == ERROR_SUCCESS &&
           RegSetValueExW(key.Get(), WideName(entry.ValueName).Text(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data),
                          static_cast<DWORD>((lstrlenW(data) + 1) * sizeof(wchar_t))) ==
               ERROR_SUCCESS;
}

bool DeleteKey(const KeyPath& path) {
    const LONG deleted = RegDeleteKeyW(path.Root, path.Path);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

// Takes the entry away: its key when the registration owns it (its subkeys are gone by
// then), else its value alone. A key or value that is not there counts as taken away.
bool RemoveEntry(const KeyPath& path, const RegistryEntry& entry) {
    if (entry.OwnsKey)
        return DeleteKey(path);
    RegistryKey key;
    const LONG opened = RegOpenKeyExW(path.Root, path.Path, 0, KEY_SET_VALUE, key.Put());
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    const LONG deleted = opened == ERROR_SUCCESS
                             ? RegDeleteValueW(key.Get(), WideName(entry.ValueName).Text())
                             : opened;
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

// Puts every snapshot back: a run that was cut short leaves the keys as it found them. Keys
// that did not exist go from the last to the first, so that a subkey is gone before its
// parent; keys that existed come back from the first, so that a parent is there before its
// subkey. False when any of that fails.
bool PutBack(const KeySnapshot* snapshots, int count) {
    bool done = true;
    for (int index = count - 1; index >= 0; --index) {
        if (!snapshots[index].Existed())
            done = snapshots[index].PutBack() && done;
    }
    for (int index = 0; index < count; ++index) {
        if (snapshots[index].Existed())
            done = snapshots[index].PutBack() && done;
    }
    return done;
}

// Names the key that failed and says whether the run's changes were put back.
void ShowKeyFailure(HWND owner, UINT text, const KeyPath& key, bool putBack) {
    wchar_t name[MAX_PATH + 32];
    FormFullKeyName(name, key);
    wchar_t outcome[kMessageRoom];
    LoadText(SetupInstance, putBack ? IDS_CHANGES_PUT_BACK : IDS_CHANGES_NOT_PUT_BACK, outcome,
             kMessageRoom);
    ShowMessage(owner, SetupInstance, text, IDS_CAPTION_ERROR, MB_OK, {name, outcome});
}

// Reads how every key of the registration stands before a run changes it; false, after
// naming the key, when one cannot be read whole.
bool TakeSnapshots(HWND owner, UINT text, const RegistrationKeys& keys, KeySnapshot* snapshots) {
    for (int index = 0; index < keys.Count; ++index) {
        if (!snapshots[index].Take(keys.Keys[index].Root, keys.Keys[index].Path)) {
            ShowKeyFailure(owner, text, keys.Keys[index], true);
            return false;
        }
    }
    return true;
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
        const KernelHandle file(CreateFileW(paths[i], 0,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info[i]))
            return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

} // namespace

RegistrationResult InstallExtension(HWND owner) {
    if (ShowMessage(owner, SetupInstance, IDS_INSTALL_QUESTION, IDS_CAPTION_VESTRANE, MB_YESNO) !=
        IDYES)
        return RegistrationDeclined;
    return RegisterExtension(owner);
}

RegistrationResult RegisterExtension(HWND owner) {
    wchar_t folder[MAX_PATH];
    if (OthersMayReplaceDll(DllPath, folder)) {
        wchar_t recommended[MAX_PATH];
        RecommendedFolder(recommended);
        if (ShowMessage(owner, SetupInstance, IDS_UNSAFE_FOLDER_QUESTION, IDS_CAPTION_VESTRANE,
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, {folder, recommended}) != IDYES)
            return RegistrationDeclined;
    }

    RegistrationKeys keys;
    FormRegistrationKeys(keys);
    KeySnapshot before[kRegistryEntryCount + 1];
    if (!TakeSnapshots(owner, IDS_CANNOT_INSTALL, keys, before))
        return RegistrationFailed;
    for (int index = 0; index < kRegistryEntryCount; ++index) {
        const KeyPath& key = keys.Keys[keys.KeyOf[index]];
        if (!WriteEntry(key, kRegistryEntries[index])) {
            const bool putBack = PutBack(before, keys.Count);
            ShowKeyFailure(owner, IDS_CANNOT_INSTALL, key, putBack);
            return RegistrationFailed;
        }
    }
    return Registered;
}

bool RegisteredDllIsOurs(wchar_t (&registered)[MAX_PATH]) {
    registered[0] = L'\0';
    wchar_t path[MAX_PATH];
    RegistryKey server;
    if (!FormEntryKey(kRegistryEntries[ServerEntry()], path, MAX_PATH) ||
        RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_QUERY_VALUE, server.Put()) != ERROR_SUCCESS)
        return false;
    DWORD type = REG_NONE;
    DWORD size = sizeof registered - sizeof(wchar_t);
    const LONG read = RegQueryValueExW(server.Get(), nullptr, nullptr, &type,
                                       reinterpret_cast<BYTE*>(registered), &size);
    if (read != ERROR_SUCCESS || type != REG_SZ) {
        registered[0] = L'\0';
        return false;
    }
    registered[size / sizeof(wchar_t)] = L'\0';
    return SameFile(registered, DllPath);
}

bool PackageOwnsInstallation(wchar_t (&folder)[MAX_PATH]) {
    folder[0] = L'\0';
    wchar_t folders[kMaxPackageFolders][MAX_PATH];
    const int count = ReadPackageFolders(folders);
    if (count == 0)
        return false;
    // Only the registered path is wanted here, whoever's it is.
    wchar_t registered[MAX_PATH];
    RegisteredDllIsOurs(registered);
    for (int index = 0; index < count; ++index) {
        // Each folder ends in a backslash: the file "beside" it is the one inside.
        wchar_t packageDll[MAX_PATH];
        if (!PathBesideProgram(packageDll, folders[index], kDllFileName))
            continue;
        if (SameFile(packageDll, DllPath) ||
            (registered[0] != L'\0' && SameFile(packageDll, registered))) {
            lstrcpynW(folder, folders[index], MAX_PATH);
            return true;
        }
    }
    return false;
}

bool UninstallExtension() {
    const DWORD platformId = PlatformId();
    const HWND owner = GetDesktopWindow();

    RegistrationKeys keys;
    FormRegistrationKeys(keys);
    KeySnapshot before[kRegistryEntryCount + 1];
    if (!TakeSnapshots(owner, IDS_CANNOT_UNINSTALL, keys, before))
        return false;
    // A class key without "InprocServer32" is not this program's registration: it is left
    // alone.
    const int server = keys.KeyOf[ServerEntry()];
    if (before[keys.KeyOf[0]].Existed() && !before[server].Existed()) {
        ShowKeyFailure(owner, IDS_CANNOT_UNINSTALL, keys.Keys[server], true);
        return false;
    }
    for (int index = kRegistryEntryCount - 1; index >= -1; --index) {
        const bool removed =
            index >= 0 ? RemoveEntry(keys.Keys[keys.KeyOf[index]], kRegistryEntries[index])
                       : DeleteKey(keys.Keys[keys.Settings]);
        if (!removed) {
            const KeyPath& key = keys.Keys[index >= 0 ? keys.KeyOf[index] : keys.Settings];
            const bool putBack = PutBack(before, keys.Count);
            ShowKeyFailure(owner, IDS_CANNOT_UNINSTALL, key, putBack);
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

    ShowMessage(owner, SetupInstance, IDS_UNINSTALLED, IDS_CAPTION_VESTRANE, MB_OK);
    return true;
}
