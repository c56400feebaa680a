#include "tests/support/drive_link.h"

#include <windows.h>

#include <vector>

namespace {

using SpawnFunction = LONG(CDECL*)(char* const argv[], int wait);
using UnixNameFunction = char*(CDECL*)(const WCHAR* dosName);

SpawnFunction WineSpawn() {
    return reinterpret_cast<SpawnFunction>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
}

// The Unix path of a Windows path, or empty.
std::string UnixName(const std::string& path) {
    auto unixName = reinterpret_cast<UnixNameFunction>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr)
        return {};
    WCHAR wide[MAX_PATH] = {};
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0)
        return {};
    char* name = unixName(wide);
    if (name == nullptr)
        return {};
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Runs a Unix command and waits for it; true when it exited with 0.
bool RunUnix(std::vector<std::string> arguments) {
    SpawnFunction spawn = WineSpawn();
    if (spawn == nullptr)
        return false;
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    return spawn(argv.data(), 1) == 0;
}

} // namespace

DriveLink::DriveLink(const std::string& folder) {
    const std::string target = UnixName(folder);
    // C:\ is the link "c:" in the dosdevices folder; the new letter goes beside it.
    std::string dosDevices = UnixName("C:\\");
    const std::string suffix = "/c:/";
    if (target.empty() || dosDevices.size() < suffix.size() ||
        dosDevices.compare(dosDevices.size() - suffix.size(), suffix.size(), suffix) != 0)
        return;
    dosDevices.resize(dosDevices.size() - suffix.size() + 1);
    for (char letter = 'Y'; letter >= 'M'; --letter) {
        const std::string root = std::string(1, letter) + ":\\";
        if (GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR)
            continue;
        const std::string link = dosDevices + static_cast<char>(letter - 'A' + 'a') + ":";
        // ln without -f fails when another test took the letter meanwhile.
        if (RunUnix({"ln", "-sn", target, link})) {
            letter_ = letter;
            link_ = link;
            return;
        }
    }
}

DriveLink::~DriveLink() {
    if (Valid())
        RunUnix({"rm", "-f", link_});
}
