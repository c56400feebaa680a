#include "setup/folder_safety.h"

#include <aclapi.h>

#include "common/owned.h"
#include "setup/program_paths.h"

namespace {

// Rights on the DLL that let a holder put another in its place: write or append to it,
// delete it (and make a new one), change its DACL or take it over.
constexpr DWORD kTakeOverRights = WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
constexpr DWORD kFileRights = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | kTakeOverRights;
// Rights on the DLL's own folder: add a file (Windows loads the DLL's own imports from its
// folder first) or a folder, remove an entry, or take the folder over.
constexpr DWORD kOwnFolderRights =
    FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | kTakeOverRights;

// NT SERVICE\TrustedInstaller, which owns the system's own files.
struct TrustedInstallerSid {
    BYTE Revision;
    BYTE SubAuthorityCount;
    SID_IDENTIFIER_AUTHORITY Authority;
    DWORD SubAuthority[6];
};
const TrustedInstallerSid kTrustedInstaller = {
    SID_REVISION,
    6,
    SECURITY_NT_AUTHORITY,
    {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464}};

PSID trustedForTests = nullptr;

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof known;
    return CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known);
}

bool IsTrusted(PSID sid) {
    return IsWellKnown(sid, WinBuiltinAdministratorsSid) || IsWellKnown(sid, WinLocalSystemSid) ||
           EqualSid(sid, const_cast<TrustedInstallerSid*>(&kTrustedInstaller)) ||
           (trustedForTests != nullptr && EqualSid(sid, trustedForTests));
}

ObjectRights ReadRights(const wchar_t* path) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    if (GetNamedSecurityInfoW(path, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, descriptor.Put()) != ERROR_SUCCESS)
        return ObjectRights{GENERIC_ALL, true};
    return RightsOfOthers(owner, dacl);
}

// True when path lies inside folder (compared without regard to case, as file names are).
bool IsInside(const wchar_t* path, const wchar_t* folder) {
    int length = lstrlenW(folder);
    if (length > 0 && folder[length - 1] == L'\\')
        --length;
    return length > 0 && lstrlenW(path) > length && path[length] == L'\\' &&
           CompareStringOrdinal(path, length, folder, length, TRUE) == CSTR_EQUAL;
}

// The folder that holds the users' profiles ("C:\Users") and the running user's own profile,
// which may lie elsewhere.
bool InsideAUserProfile(const wchar_t* path) {
    wchar_t folder[MAX_PATH];
    const DWORD length = ExpandEnvironmentStringsW(L"%USERPROFILE%", folder, MAX_PATH);
    if (length > 0 && length <= MAX_PATH && folder[0] != L'%' && IsInside(path, folder))
        return true;
    wchar_t stored[MAX_PATH] = {};
    DWORD size = sizeof stored - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE,
                     L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                     L"ProfilesDirectory", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     nullptr, stored, &size) != ERROR_SUCCESS)
        return false;
    const DWORD expanded = ExpandEnvironmentStringsW(stored, folder, MAX_PATH);
    return expanded > 0 && expanded <= MAX_PATH && IsInside(path, folder);
}

} // namespace

ObjectRights RightsOfOthers(PSID owner, const ACL* dacl) {
    ObjectRights rights;
    rights.UntrustedOwner = owner == nullptr || !IsTrusted(owner);
    if (dacl == nullptr) {
        rights.Untrusted = GENERIC_ALL;
        return rights;
    }
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(const_cast<ACL*>(dacl), index, &entry)) {
            rights.Untrusted = GENERIC_ALL;
            return rights;
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if ((header->AceFlags & INHERIT_ONLY_ACE) != 0)
            continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE &&
            header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE)
            continue;
        // Both kinds start alike: header, mask, then the SID.
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (!IsTrusted(&allowed->SidStart))
            rights.Untrusted |= allowed->Mask;
    }
    return rights;
}

int FirstUnsafeInChain(const ObjectRights* chain, int count) {
    for (int index = 0; index < count; ++index) {
        const ObjectRights& object = chain[index];
        if (object.UntrustedOwner)
            return index;
        if (index == 0 && (object.Untrusted & kFileRights) != 0)
            return index;
        if (index == 1 && (object.Untrusted & kOwnFolderRights) != 0)
            return index;
        if (index < 2)
            continue;
        // A folder higher up: Authenticated Users may add folders to the root of every
        // Windows drive, which alone replaces nothing; together with a way to remove the
        // folder below on the path it lets a new one, with another DLL, take its place. When
        // the folder below may be deleted by others, that folder is the one to blame.
        const DWORD rights = object.Untrusted;
        if ((rights & kTakeOverRights) != 0)
            return index;
        if ((rights & FILE_ADD_SUBDIRECTORY) == 0)
            continue;
        if ((rights & FILE_DELETE_CHILD) != 0)
            return index;
        if ((chain[index - 1].Untrusted & DELETE) != 0)
            return index - 1;
    }
    return -1;
}

bool OthersMayReplaceDll(const wchar_t* dllPath, wchar_t (&folder)[MAX_PATH]) {
    // The chain's paths are dllPath cut at its backslashes, one level more each time.
    ObjectRights chain[MAX_PATH];
    int lengths[MAX_PATH];
    int count = 0;
    wchar_t path[MAX_PATH];
    lstrcpynW(path, dllPath, MAX_PATH);
    for (;;) {
        chain[count] = ReadRights(path);
        lengths[count] = lstrlenW(path);
        ++count;
        CutToFolder(path);
        if (lstrlenW(path) >= lengths[count - 1] || count == MAX_PATH)
            break;
    }
    const int unsafe = FirstUnsafeInChain(chain, count);
    lstrcpynW(folder, dllPath, MAX_PATH);
    if (unsafe >= 2) {
        folder[lengths[unsafe]] = L'\0';
    } else {
        CutToFolder(folder);
    }
    return unsafe >= 0 || InsideAUserProfile(dllPath);
}

void RecommendedFolder(wchar_t (&out)[MAX_PATH]) {
    const DWORD length = ExpandEnvironmentStringsW(L"%ProgramFiles%\\Vestrane", out, MAX_PATH);
    if (length == 0 || length > MAX_PATH)
        lstrcpynW(out, L"%ProgramFiles%\\Vestrane", MAX_PATH);
}

void TrustAccountForTests(PSID account) {
    trustedForTests = account;
}
