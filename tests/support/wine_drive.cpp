#include "tests/support/wine_drive.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

namespace {

// Wine's own request to its mount manager (not part of Windows): define or remove a
// drive letter that points at a Unix folder.
struct UnixDriveRequest {
    ULONG Size;
    ULONG Type;
    ULONG FileSystemType;
    DWORD Serial;
    ULONGLONG UnixDevice;
    WCHAR Letter;
    USHORT MountPointOffset;
    USHORT DeviceOffset;
    USHORT LabelOffset;
};
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

bool DefineDrive(char letter, UINT type, const char* unixFolder) {
    std::vector<char> request(sizeof(UnixDriveRequest) + MAX_PATH * 4);
    auto* header = reinterpret_cast<UnixDriveRequest*>(request.data());
    header->Size = sizeof(UnixDriveRequest);
    header->Type = type;
    header->Letter = static_cast<WCHAR>(letter - 'A' + 'a');
    if (unixFolder != nullptr) {
        header->MountPointOffset = sizeof(UnixDriveRequest);
        std::strcpy(request.data() + sizeof(UnixDriveRequest), unixFolder);
        header->Size += static_cast<ULONG>(std::strlen(unixFolder) + 1);
    }
    HANDLE manager =
        CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    const BOOL done = DeviceIoControl(manager, kDefineUnixDrive, request.data(), header->Size,
                                      nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return done != FALSE;
}

std::string UnixPathOf(const std::string& windowsPath) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr)
        return {};
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unixPath = toUnix(wide);
    if (unixPath == nullptr)
        return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

} // namespace

MappedDrive::MappedDrive(char letter, UINT driveType, const std::string& folder) : letter_(letter) {
    const std::string unixFolder = UnixPathOf(folder);
    if (letter_ != 0 && !unixFolder.empty())
        mapped_ = DefineDrive(letter_, driveType, unixFolder.c_str());
}

MappedDrive::~MappedDrive() {
    if (mapped_)
        DefineDrive(letter_, DRIVE_NO_ROOT_DIR, nullptr);
}

char FreeDriveLetter() {
    const DWORD used = GetLogicalDrives();
    for (char letter = 'R'; letter <= 'Y'; ++letter) {
        if ((used & (1u << (letter - 'A'))) == 0)
            return letter;
    }
    return 0;
}
