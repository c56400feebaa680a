#include "setup/registration.h"

#include <cstring>
#include <memory>
#include <new>

#include "common/file_facts.h"
#include "common/message_box.h"
#include "common/resource_text.h"
#include "common/owned.h"
#include "common/registry_entries.h"
#include "common/shared_facts.h"
#include "setup/folder_safety.h"
#include "setup/key_snapshot.h"
#include "setup/menu_package.h"
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
    keys.Settings = AddKey(keys, HKEY_CURRENT_USER, kSettingsKey);
}

// The entry that holds the DLL's path for Explorer: the class key's "InprocServer32" (the
// uninstall entry's icon names the DLL as well).
int ServerEntry() {
    for (int index = 0; index < kRegistryEntryCount; ++index) {
        if (kRegistryEntries[index].Data == EntryData::DllPath &&
            kRegistryEntries[index].ValueName == nullptr)
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

// A value as an entry stores it: REG_SZ with its terminator, or REG_DWORD. The quiet uninstall
// command is the longest text: a path that the uninstall command just holds, and "/quiet".
struct EntryValue {
    DWORD Type = REG_SZ;
    DWORD Size = 0;
    union {
        wchar_t Text[MAX_PATH + 16];
        DWORD Number;
    };
};

// The product version of the program's version resource, four numbers as its PRODUCTVERSION
// gives them: the resource is the version's one home in this program, the one Windows shows
// in the file's properties. Read without version.dll, which a bare Windows has but which this
// program does not otherwise import.
bool FormProgramVersion(wchar_t* out) {
    // RT_VERSION, in its wide form.
    const HRSRC found =
        FindResourceW(SetupInstance, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    const HGLOBAL loaded = found != nullptr ? LoadResource(SetupInstance, found) : nullptr;
    const BYTE* block =
        loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    // The block's length, value length and type, its key with the terminator, then the fixed
    // part on a DWORD boundary.
    constexpr DWORD fixedAt = (3 * sizeof(WORD) + sizeof L"VS_VERSION_INFO" + 3) & ~3u;
    VS_FIXEDFILEINFO fixed;
    if (block == nullptr || SizeofResource(SetupInstance, found) < fixedAt + sizeof fixed)
        return false;
    CopyMemory(&fixed, block + fixedAt, sizeof fixed);
    if (fixed.dwSignature != VS_FFI_SIGNATURE)
        return false;
    wsprintfW(out, L"%u.%u.%u.%u", HIWORD(fixed.dwProductVersionMS),
              LOWORD(fixed.dwProductVersionMS), HIWORD(fixed.dwProductVersionLS),
              LOWORD(fixed.dwProductVersionLS));
    return true;
}

// The files of the program's folder that ship, in KB rounded up; a file that is missing
// counts nothing.
DWORD InstalledKilobytes() {
    const wchar_t* const names[] = {kDllFileName, kTextFileName, kMenuPackageFileName};
    ULONGLONG bytes = 0;
    for (int index = -1; index < static_cast<int>(sizeof names / sizeof names[0]); ++index) {
        wchar_t path[MAX_PATH];
        if (index >= 0 && !PathBesideProgram(path, ProgramPath, names[index]))
            continue;
        WIN32_FILE_ATTRIBUTE_DATA file;
        if (GetFileAttributesExW(index >= 0 ? path : ProgramPath, GetFileExInfoStandard, &file))
            bytes += (static_cast<ULONGLONG>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
    }
    const ULONGLONG kilobytes = (bytes + 1023) / 1024;
    return kilobytes > MAXDWORD ? MAXDWORD : static_cast<DWORD>(kilobytes);
}

// The value the entry stores; false when it cannot be formed or does not fit.
bool FormEntryValue(const RegistryEntry& entry, EntryValue& value) {
    if (entry.Type == ValueType::Dword) {
        value.Type = REG_DWORD;
        value.Size = sizeof(DWORD);
        value.Number = entry.Data == EntryData::InstalledSize ? InstalledKilobytes() : 0;
        return true;
    }
    wchar_t command[MAX_PATH];
    switch (entry.Data) {
    case EntryData::DllPath:
        lstrcpynW(value.Text, DllPath, MAX_PATH);
        break;
    case EntryData::UninstallCommand:
    case EntryData::QuietUninstallCommand:
        if (!FormUninstallCommand(command, ProgramPath))
            return false;
        wsprintfW(value.Text, entry.Data == EntryData::UninstallCommand ? L"%s" : L"%s /quiet",
                  command);
        break;
    case EntryData::ProgramVersion:
        if (!FormProgramVersion(value.Text))
            return false;
        break;
    default:
        lstrcpynW(value.Text, entry.Text, MAX_PATH);
        break;
    }
    value.Type = REG_SZ;
    value.Size = static_cast<DWORD>((lstrlenW(value.Text) + 1) * sizeof(wchar_t));
    return true;
}

// Creates the entry's key (or opens it) and sets its value; false when any of that fails.
bool WriteEntry(const KeyPath& path, const RegistryEntry& entry) {
    EntryValue value;
    RegistryKey key;
    return FormEntryValue(entry, value) &&
           RegCreateKeyExW(path.Root, path.Path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                           nullptr, key.Put(), nullptr) == ERROR_SUCCESS &&
           RegSetValueExW(key.Get(), entry.ValueName, 0, value.Type,
                          reinterpret_cast<const BYTE*>(value.Text), value.Size) == ERROR_SUCCESS;
}

// True when the entry's value stands as the entry would write it, of its type and to the
// byte.
bool EntryHolds(const KeyPath& path, const RegistryEntry& entry) {
    EntryValue wanted;
    EntryValue stored;
    RegistryKey key;
    DWORD size = sizeof stored.Text;
    return FormEntryValue(entry, wanted) &&
           RegOpenKeyExW(path.Root, path.Path, 0, KEY_QUERY_VALUE, key.Put()) == ERROR_SUCCESS &&
           RegQueryValueExW(key.Get(), entry.ValueName, nullptr, &stored.Type,
                            reinterpret_cast<BYTE*>(stored.Text), &size) == ERROR_SUCCESS &&
           stored.Type == wanted.Type && size == wanted.Size &&
           memcmp(stored.Text, wanted.Text, size) == 0;
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
    const LONG deleted =
        opened == ERROR_SUCCESS ? RegDeleteValueW(key.Get(), entry.ValueName) : opened;
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

// Names the key that failed and says what stands: whether the run's changes were put back.
// A removal takes the Windows 11 package away before the registry, and a registry put back
// does not bring the package back: where Windows 11 has no package of Vestrane, the message
// says so and how to add it again.
void ShowKeyFailure(HWND owner, UINT text, const KeyPath& key, bool putBack) {
    wchar_t name[MAX_PATH + 32];
    FormFullKeyName(name, key);
    UINT told = putBack ? IDS_CHANGES_PUT_BACK : IDS_CHANGES_NOT_PUT_BACK;
    if (putBack && text == IDS_CANNOT_UNINSTALL && WindowsBuild() >= kFirstWindows11Build &&
        !MenuPackages().IsRegistered())
        told = IDS_REGISTRY_PUT_BACK_MENU_GONE;
    wchar_t outcome[kMessageRoom];
    LoadText(SetupInstance, told, outcome, kMessageRoom);
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

// The name that a file held open takes until the restart deletes it: its own name, a mark
// of this run and attempt, and ".delete-me", in its own folder, so that the rename stays on
// its volume. false when it does not fit.
bool FormDeleteMeName(wchar_t (&out)[MAX_PATH], const wchar_t* path, DWORD attempt) {
    wchar_t mark[40];
    wsprintfW(mark, L".%lX-%lX.delete-me", GetCurrentProcessId(), GetTickCount() + attempt);
    if (lstrlenW(path) + lstrlenW(mark) >= MAX_PATH)
        return false;
    wsprintfW(out, L"%s%s", path, mark);
    return true;
}

// Deletes the file now, or, while something holds it (the running program, a DLL that
// Explorer loaded), at the next restart under a name of its own: an installation into the
// folder before the restart puts its files under the old names, which the restart must leave
// alone.
void DeleteNowOrAtRestart(const wchar_t* path) {
    if (DeleteFileW(path) || GetLastError() == ERROR_FILE_NOT_FOUND)
        return;
    for (DWORD attempt = 0; attempt < 8; ++attempt) {
        wchar_t renamed[MAX_PATH];
        if (!FormDeleteMeName(renamed, path, attempt))
            break;
        if (MoveFileExW(path, renamed, 0)) {
            MoveFileExW(renamed, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    // Neither deleted nor renamed, the file can only go under its own name: left alone it
    // would stay for good, while a later installation that replaces it before the restart is
    // the rarer harm.
    MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
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

// The identity of the file at path; false when it cannot be opened or read.
bool ReadPathIdentity(const wchar_t* path, FileIdentity& identity) {
    const KernelHandle file(CreateFileW(path, 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    return file.Valid() && ReadFileIdentity(file.Get(), identity);
}

bool SameFile(const wchar_t* first, const wchar_t* second) {
    FileIdentity firstIdentity;
    FileIdentity secondIdentity;
    return ReadPathIdentity(first, firstIdentity) && ReadPathIdentity(second, secondIdentity) &&
           SameIdentity(firstIdentity, secondIdentity);
}

// Writes the entries of the registration, or those that only marks, after the folder check,
// within one snapshot of every key.
RegistrationResult WriteRegistration(HWND owner, const RegistrationKeys& keys, const bool* only) {
    wchar_t folder[MAX_PATH];
    if (OthersMayReplaceDll(DllPath, folder)) {
        wchar_t recommended[MAX_PATH];
        RecommendedFolder(recommended);
        if (ShowMessage(owner, SetupInstance, IDS_UNSAFE_FOLDER_QUESTION, IDS_CAPTION_VESTRANE,
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, {folder, recommended}) != IDYES)
            return RegistrationDeclined;
    }

    KeySnapshot before[kRegistryEntryCount + 1];
    if (!TakeSnapshots(owner, IDS_CANNOT_INSTALL, keys, before))
        return RegistrationFailed;
    for (int index = 0; index < kRegistryEntryCount; ++index) {
        const KeyPath& key = keys.Keys[keys.KeyOf[index]];
        if (only != nullptr && !only[index])
            continue;
        if (!WriteEntry(key, kRegistryEntries[index])) {
            const bool putBack = PutBack(before, keys.Count);
            ShowKeyFailure(owner, IDS_CANNOT_INSTALL, key, putBack);
            return RegistrationFailed;
        }
    }
    return Registered;
}

} // namespace

RegistrationResult InstallExtension(HWND owner) {
    if (ShowMessage(owner, SetupInstance, IDS_INSTALL_QUESTION, IDS_CAPTION_VESTRANE, MB_YESNO) !=
        IDYES)
        return RegistrationDeclined;
    return RegisterExtension(owner);
}

RegistrationResult RegisterExtension(HWND owner) {
    RegistrationKeys keys;
    FormRegistrationKeys(keys);
    return WriteRegistration(owner, keys, nullptr);
}

RegistrationResult RepairRegistration(HWND owner) {
    RegistrationKeys keys;
    FormRegistrationKeys(keys);
    bool differs[kRegistryEntryCount];
    bool anyDiffers = false;
    for (int index = 0; index < kRegistryEntryCount; ++index) {
        differs[index] = !EntryHolds(keys.Keys[keys.KeyOf[index]], kRegistryEntries[index]);
        anyDiffers = anyDiffers || differs[index];
    }
    return anyDiffers ? WriteRegistration(owner, keys, differs) : Registered;
}

// The first entry of the registration is the class key's.
bool ClassIsRegistered() {
    wchar_t name[MAX_PATH];
    RegistryKey key;
    return FormEntryKey(kRegistryEntries[0], name, MAX_PATH) &&
           RegOpenKeyExW(HKEY_CLASSES_ROOT, name, 0, KEY_QUERY_VALUE, key.Put()) == ERROR_SUCCESS;
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

    if (platformId == VER_PLATFORM_WIN32_NT) {
        DeleteNowOrAtRestart(ProgramPath);
        DeleteNowOrAtRestart(DllPath);
    } else {
        ScheduleDeletionInWininit();
    }

    wchar_t textFile[MAX_PATH];
    if (PathBesideProgram(textFile, ProgramPath, kTextFileName))
        DeleteFileW(textFile);

    ShowMessage(owner, SetupInstance, IDS_UNINSTALLED, IDS_CAPTION_VESTRANE, MB_OK);
    return true;
}
