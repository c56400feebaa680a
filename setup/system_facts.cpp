#include "setup/system_facts.h"

namespace {
const wchar_t* programPathOverride = nullptr;
bool platformIdOverridden = false;
DWORD platformIdOverride = 0;
bool wow64Overridden = false;
bool wow64Override = false;
} // namespace

bool ReadProgramPath(wchar_t (&path)[MAX_PATH]) {
    if (programPathOverride != nullptr) {
        const int length = lstrlenW(programPathOverride);
        if (length >= MAX_PATH) {
            path[0] = L'\0';
            return false;
        }
        CopyMemory(path, programPathOverride, (length + 1) * sizeof(wchar_t));
        return true;
    }
    // A result of MAX_PATH means the path was cut short (and, on older systems, left
    // without a terminator).
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        path[0] = L'\0';
        return false;
    }
    return true;
}

DWORD PlatformId() {
    if (platformIdOverridden)
        return platformIdOverride;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);
#pragma GCC diagnostic pop
    return version.dwPlatformId;
}

bool RunsUnderWow64() {
    if (wow64Overridden)
        return wow64Override;
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

void OverrideProgramPath(const wchar_t* path) {
    programPathOverride = path;
}

void OverridePlatformId(DWORD platformId) {
    platformIdOverridden = true;
    platformIdOverride = platformId;
}

void OverrideRunsUnderWow64(bool wow64) {
    wow64Overridden = true;
    wow64Override = wow64;
}

void ClearSystemFactOverrides() {
    programPathOverride = nullptr;
    platformIdOverridden = false;
    wow64Overridden = false;
}
