#include "setup/system_facts.h"

#include <msi.h>

#include "common/path_join.h"
#include "common/shared_facts.h"

namespace {
const wchar_t* programPathOverride = nullptr;
bool platformIdOverridden = false;
DWORD platformIdOverride = 0;
bool buildOverridden = false;
DWORD buildOverride = 0;
bool wow64Overridden = false;
bool wow64Override = false;
const wchar_t* packageFolderOverride = nullptr;

// A folder's path with its closing backslash; false when that does not fit.
bool EndWithBackslash(wchar_t (&folder)[MAX_PATH]) {
    const int length = lstrlenW(folder);
    if (length == 0 || folder[length - 1] == L'\\')
        return length > 0;
    if (length + 1 >= MAX_PATH)
        return false;
    folder[length] = L'\\';
    folder[length + 1] = L'\0';
    return true;
}
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

DWORD WindowsBuild() {
    if (buildOverridden)
        return buildOverride;
    // GetVersionEx reports Windows 8 (build 9200) to every program whose manifest does not
    // name Windows 10 as supported; ntdll's own answer is the real one.
    using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion =
        ModuleFunction<GetVersionFunction>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return getVersion != nullptr && getVersion(&version) == 0 ? version.dwBuildNumber : 0;
}

bool RunsUnderWow64() {
    if (wow64Overridden)
        return wow64Override;
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

int ReadPackageFolders(wchar_t (&folders)[kMaxPackageFolders][MAX_PATH]) {
    if (packageFolderOverride != nullptr) {
        lstrcpynW(folders[0], packageFolderOverride, MAX_PATH);
        return EndWithBackslash(folders[0]) ? 1 : 0;
    }
    // Loaded only when asked; a system without Windows Installer has no package installed.
    const HMODULE msi = LoadSystemLibrary(L"msi.dll");
    if (msi == nullptr)
        return 0;
    const auto enumRelated =
        ModuleFunction<decltype(&MsiEnumRelatedProductsW)>(msi, "MsiEnumRelatedProductsW");
    const auto productInfo =
        ModuleFunction<decltype(&MsiGetProductInfoW)>(msi, "MsiGetProductInfoW");
    int count = 0;
    for (const PackageUpgradeCode& code : kPackageUpgradeCodes) {
        if (enumRelated == nullptr || productInfo == nullptr)
            break;
        wchar_t product[39];
        for (DWORD index = 0; count < kMaxPackageFolders &&
                              enumRelated(code.Code, 0, index, product) == ERROR_SUCCESS;
             ++index) {
            // The package records its folder as ARPINSTALLLOCATION (tools/make-msi).
            DWORD size = MAX_PATH;
            if (productInfo(product, L"InstallLocation", folders[count], &size) == ERROR_SUCCESS &&
                EndWithBackslash(folders[count]))
                ++count;
        }
    }
    FreeLibrary(msi);
    return count;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    wchar_t path[MAX_PATH];
    if (length == 0 || length >= MAX_PATH || !JoinPath(path, folder, name))
        return nullptr;
    return LoadLibraryW(path);
}

void OverrideProgramPath(const wchar_t* path) {
    programPathOverride = path;
}

void OverridePlatformId(DWORD platformId) {
    platformIdOverridden = true;
    platformIdOverride = platformId;
}

void OverrideWindowsBuild(DWORD build) {
    buildOverridden = true;
    buildOverride = build;
}

void OverrideRunsUnderWow64(bool wow64) {
    wow64Overridden = true;
    wow64Override = wow64;
}

void OverridePackageFolder(const wchar_t* folder) {
    packageFolderOverride = folder;
}

void ClearSystemFactOverrides() {
    programPathOverride = nullptr;
    packageFolderOverride = nullptr;
    platformIdOverridden = false;
    buildOverridden = false;
    wow64Overridden = false;
}
