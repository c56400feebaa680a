#include "tests/support/registry_probe.h"

#include <vector>

StoredValue ReadStoredValue(HKEY root, const std::string& key, const char* name) {
    StoredValue value;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExA(opened, name, nullptr, &value.Type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<char> bytes(size + 1);
        if (RegQueryValueExA(opened, name, nullptr, &value.Type,
                             reinterpret_cast<BYTE*>(bytes.data()), &size) == ERROR_SUCCESS) {
            value.Exists = true;
            value.Data.assign(bytes.data(), size);
        }
    }
    RegCloseKey(opened);
    return value;
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

void DeleteKeyTree(HKEY root, const std::string& key) {
    RegDeleteTreeA(root, key.c_str());
    RegDeleteKeyA(root, key.c_str());
}

std::string DwordBytes(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}
