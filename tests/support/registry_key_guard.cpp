#include "tests/support/registry_key_guard.h"

#include <algorithm>

#include "tests/support/wide_text.h"

namespace {

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::optional<RegistryKeyGuard::Tree> SaveTree(HKEY parent, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryKeyGuard::Tree tree;
    tree.Name = name;
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[16384];
        DWORD nameSize = 16384;
        DWORD type = 0;
        DWORD dataSize = 0;
        if (RegEnumValueW(key, index, valueName, &nameSize, nullptr, &type, nullptr, &dataSize) !=
            ERROR_SUCCESS)
            break;
        std::string data(dataSize, '\0');
        DWORD readSize = dataSize;
        RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &readSize);
        data.resize(std::min(readSize, dataSize));
        tree.Values.push_back({valueName, type, data});
    }
    for (DWORD index = 0;; ++index) {
        wchar_t subName[256];
        DWORD nameSize = 256;
        if (RegEnumKeyExW(key, index, subName, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
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
    if (RegCreateKeyExW(parent, tree.Name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const auto& value : tree.Values)
        RegSetValueExW(key, value.Name.c_str(), 0, value.Type,
                       reinterpret_cast<const BYTE*>(value.Data.data()),
                       static_cast<DWORD>(value.Data.size()));
    for (const auto& sub : tree.Keys)
        RestoreTree(key, sub);
    RegCloseKey(key);
}

} // namespace

RegistryKeyGuard::RegistryKeyGuard(HKEY root, std::wstring path)
    : lock_("registry/" + Utf8(path)), root_(root), path_(std::move(path)) {
    saved_ = SaveTree(root_, path_);
    RegDeleteTreeW(root_, path_.c_str());
}

RegistryKeyGuard::~RegistryKeyGuard() {
    RegDeleteTreeW(root_, path_.c_str());
    if (saved_)
        RestoreTree(root_, *saved_);
}

StoredValue ReadStoredValue(HKEY root, const std::wstring& key, const wchar_t* name) {
    StoredValue value;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExW(opened, name, nullptr, &value.Type, nullptr, &size) == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        if (RegQueryValueExW(opened, name, nullptr, &value.Type,
                             reinterpret_cast<BYTE*>(bytes.data()), &size) == ERROR_SUCCESS) {
            value.Exists = true;
            value.Data = bytes.substr(0, size);
            if (IsStringType(value.Type))
                value.Data = Utf8(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                                               size / sizeof(wchar_t)));
        }
    }
    RegCloseKey(opened);
    return value;
}

std::vector<std::wstring> RegistryValueNames(HKEY root, const std::wstring& key) {
    std::vector<std::wstring> names;
    if (const auto tree = SaveTree(root, key)) {
        for (const auto& value : tree->Values)
            names.push_back(value.Name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

bool WriteRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type,
                        const std::string& data) {
    HKEY opened = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring units = IsStringType(type) ? Wide(data) : std::wstring();
    const LONG status =
        IsStringType(type)
            ? RegSetValueExW(opened, name, 0, type, reinterpret_cast<const BYTE*>(units.data()),
                             static_cast<DWORD>(units.size() * sizeof(wchar_t)))
            : RegSetValueExW(opened, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size()));
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

bool WriteRegistryDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD number) {
    return WriteRegistryValue(root, key, name, REG_DWORD, DwordBytes(number));
}

bool WriteRegistryString(HKEY root, const std::wstring& key, const wchar_t* name,
                         const std::string& text) {
    return WriteRegistryValue(root, key, name, REG_SZ, WithTerminator(text));
}

void DeleteKeyTree(HKEY root, const std::wstring& key) {
    RegDeleteTreeW(root, key.c_str());
    RegDeleteKeyW(root, key.c_str());
}
