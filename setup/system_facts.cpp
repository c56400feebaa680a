#include "setup/system_facts.h"

#include <cstring>

namespace {
const char* programPathOverride = nullptr;
bool platformIdOverridden = false;
DWORD platformIdOverride = 0;
} // namespace

bool ReadProgramPath(char (&path)[MAX_PATH]) {
    if (programPathOverride != nullptr) {
        const size_t length = std::strlen(programPathOverride);
        if (length >= MAX_PATH) {
            path[0] = '\0';
            return false;
        }
        std::memcpy(path, programPathOverride, length + 1);
        return true;
    }
    // A result of MAX_PATH means the path was cut short (and, on older systems, left
    // without a terminator).
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        path[0] = '\0';
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

void OverrideProgramPath(const char* path) {
    programPathOverride = path;
}

void OverridePlatformId(DWORD platformId) {
    platformIdOverridden = true;
    platformIdOverride = platformId;
}

void ClearSystemFactOverrides() {
    programPathOverride = nullptr;
    platformIdOverridden = false;
}
