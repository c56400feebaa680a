#include "tests/support/registry_key_guard.h"

#include <algorithm>

namespace {

std::optional<RegistryKeyGuard::Tree> SaveTree(HKEY parent, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryKeyGuard::Tree tree;
    tree.Name = name;
    for (DWORD index = 0;; ++index) {
        char valueName[16384];
        DWORD nameSize = sizeof valueName;
        DWORD type = 0;
        DWORD dataSize = 0;
        if (RegEnumValueA(key, index, valueName, &nameSize, nullptr, &type, nullptr, &dataSize) !=
            ERROR_SUCCESS)
            break;
        std::string data(dataSize, '\0');
        DWORD readSize = dataSize;
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &readSize);
        data.resize(std::min(readSize, dataSize));
        tree.Values.push_back({valueName, type, data});
    }
    for (DWORD index = 0;; ++index) {
        char subName[256];
        DWORD nameSize = sizeof subName;
        if (RegEnumKeyExA(key, index, subName, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (auto sub = SaveTree(key, subName))
            tree.Keys.push_back(std::move(*sub));
    }
    RegCloseKey(key);
    return tree;
}

void RestoreTree(HKEY parent, const RegistryKeyGuard::Tree& tree) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(parent, tree.Name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const auto& value : tree.Values)
        RegSetValueExA(key, value.Name.c_str(), 0, value.Type,
                       reinterpret_cast<const BYTE*>(value.Data.data()),
                       static_cast<DWORD>(value.Data.size()));
    for (const auto& sub : tree.Keys)
        RestoreTree(key, sub);
    RegCloseKey(key);
}

} // namespace

RegistryKeyGuard::RegistryKeyGuard(HKEY root, std::string path)
    : lock_("registry/" + path), root_(root), path_(std::move(path)) {
    saved_ = SaveTree(root_, path_);
    RegDeleteTreeA(root_, path_.c_str());
}

RegistryKeyGuard::~RegistryKeyGuard() {
    RegDeleteTreeA(root_, path_.c_str());
    if (saved_)
        RestoreTree(root_, *saved_);
}

StoredValue ReadStoredValue(HKEY root, const std::string& key, const char* name) {
    StoredValue value;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExA(opened, name, nullptr, &value.Type, nullptr, &size) == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        if (RegQueryValueExA(opened, name, nullptr, &value.Type,
                             reinterpret_cast<BYTE*>(bytes.data()), &size) == ERROR_SUCCESS) {
            value.Exists = true;
            value.Data = bytes.substr(0, size);
        }
    }
    RegCloseKey(opened);
    return value;
}

std::vector<std::string> RegistryValueNames(HKEY root, const std::string& key) {
    std::vector<std::string> names;
    if (const auto tree = SaveTree(root, key)) {
        for (const auto& value : tree->Values)
            names.push_back(value.Name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

bool WriteRegistryValue(HKEY root, const std::string& key, const char* name, DWORD type,
                        const std::string& data) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status =
        RegSetValueExA(opened, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

bool WriteRegistryDword(HKEY root, const std::string& key, const char* name, DWORD number) {
    return WriteRegistryValue(root, key, name, REG_DWORD, DwordBytes(number));
}

bool WriteRegistryString(HKEY root, const std::string& key, const char* name,
                         const std::string& text) {
    return WriteRegistryValue(root, key, name, REG_SZ, WithTerminator(text));
}

void DeleteKeyTree(HKEY root, const std::string& key) {
    RegDeleteTreeA(root, key.c_str());
    RegDeleteKeyA(root, key.c_str());
}
