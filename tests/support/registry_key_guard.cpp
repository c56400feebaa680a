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

bool WriteRegistryValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                        const std::string& data) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status =
        RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool WriteRegistryDword(HKEY root, const std::string& path, const std::string& name, DWORD number) {
    return WriteRegistryValue(root, path, name, REG_DWORD,
                              std::string(reinterpret_cast<const char*>(&number), sizeof number));
}

bool WriteRegistryString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& text) {
    return WriteRegistryValue(root, path, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::string& path,
                                               const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &value.Type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.Data.assign(size, '\0');
        status = RegQueryValueExA(key, name.c_str(), nullptr, &value.Type,
                                  reinterpret_cast<BYTE*>(value.Data.data()), &size);
        value.Data.resize(std::min<std::size_t>(size, value.Data.size()));
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::vector<std::string> RegistryValueNames(HKEY root, const std::string& path) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char valueName[16384];
        DWORD nameSize = sizeof valueName;
        if (RegEnumValueA(key, index, valueName, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.push_back(valueName);
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

bool RegistryKeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
