#include "setup/folder_safety.h"

#include <aclapi.h>

#include "setup/program_paths.h"

namespace {

// Rights that let a holder put another DLL in place: write or append to the file (or add
// files and folders to the folder), delete it or a child of the folder, change its DACL or
// take it over.
constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE |
                               WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

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

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof known;
    return CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known);
}

bool IsTrusted(PSID sid, PSID setupUser) {
    return IsWellKnown(sid, WinBuiltinAdministratorsSid) || IsWellKnown(sid, WinLocalSystemSid) ||
           EqualSid(sid, const_cast<TrustedInstallerSid*>(&kTrustedInstaller)) ||
           (setupUser != nullptr && EqualSid(sid, setupUser));
}

bool PathLetsOthersWrite(const wchar_t* path, PSID setupUser) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    const bool others = SecurityLetsOthersWrite(owner, dacl, setupUser);
    LocalFree(descriptor);
    return others;
}

} // namespace

bool SecurityLetsOthersWrite(PSID owner, const ACL* dacl, PSID setupUser) {
    // An owner may always rewrite the DACL.
    if (owner != nullptr && !IsTrusted(owner, setupUser))
        return true;
    if (dacl == nullptr)
        return true;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(const_cast<ACL*>(dacl), index, &entry))
            return true;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if ((header->AceFlags & INHERIT_ONLY_ACE) != 0)
            continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE &&
            header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE)
            continue;
        // Both kinds start alike: header, mask, then the SID.
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & kWriteRights) != 0 && !IsTrusted(&allowed->SidStart, setupUser))
            return true;
    }
    return false;
}

bool OthersMayReplaceDll(const wchar_t* dllPath) {
    union {
        TOKEN_USER User;
        BYTE Bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } token = {};
    PSID setupUser = nullptr;
    HANDLE process = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &process)) {
        DWORD size = 0;
        if (GetTokenInformation(process, TokenUser, &token, sizeof token, &size))
            setupUser = token.User.User.Sid;
        CloseHandle(process);
    }
    wchar_t folder[MAX_PATH];
    lstrcpynW(folder, dllPath, MAX_PATH);
    CutToFolder(folder);
    return PathLetsOthersWrite(folder, setupUser) || PathLetsOthersWrite(dllPath, setupUser);
}

void RecommendedFolder(wchar_t (&out)[MAX_PATH]) {
    const DWORD length = ExpandEnvironmentStringsW(L"%ProgramFiles%\\Vestrane", out, MAX_PATH);
    if (length == 0 || length > MAX_PATH)
        lstrcpynW(out, L"%ProgramFiles%\\Vestrane", MAX_PATH);
}
