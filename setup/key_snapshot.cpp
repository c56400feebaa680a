#include "setup/key_snapshot.h"

#include <new>

#include "common/owned.h"

namespace {

struct ValueHeader {
    DWORD Type;
    DWORD DataSize;
};

// Longer value names are none of this program's: it never has to delete them.
constexpr DWORD kLongestDeletedName = 255;

// Deletes every value of the key, the default value included.
bool DeleteValues(HKEY key) {
    bool done = true;
    for (DWORD index = 0;;) {
        wchar_t name[kLongestDeletedName + 1];
        DWORD length = kLongestDeletedName + 1;
        const LONG found =
            RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (found == ERROR_NO_MORE_ITEMS)
            break;
        if (found != ERROR_SUCCESS || RegDeleteValueW(key, name) != ERROR_SUCCESS) {
            done = done && found == ERROR_MORE_DATA;
            ++index;
        }
    }
    return done;
}

// Cuts path at its last backslash; false when it has none.
bool CutToParent(wchar_t* path) {
    int last = -1;
    for (int index = 0; path[index] != L'\0'; ++index) {
        if (path[index] == L'\\')
            last = index;
    }
    if (last <= 0)
        return false;
    path[last] = L'\0';
    return true;
}

bool KeyIsMissing(HKEY root, const wchar_t* path) {
    RegistryKey key;
    return RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, key.Put()) == ERROR_FILE_NOT_FOUND;
}

// Deletes the key when it holds neither values nor subkeys: whatever another program put
// there since keeps it. A key that is gone counts as deleted.
bool DeleteIfEmpty(HKEY root, const wchar_t* path) {
    DWORD subkeys = 0;
    DWORD values = 0;
    {
        RegistryKey key;
        const LONG opened = RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, key.Put());
        if (opened == ERROR_FILE_NOT_FOUND)
            return true;
        if (opened != ERROR_SUCCESS ||
            RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
    }
    if (subkeys > 0 || values > 0)
        return true;
    const LONG deleted = RegDeleteKeyW(root, path);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

} // namespace

bool KeySnapshot::Take(HKEY root, const wchar_t* path) {
    root_ = root;
    const int length = lstrlenW(path);
    if (length >= MAX_PATH)
        return false;
    CopyMemory(path_, path, (length + 1) * sizeof(wchar_t));
    RegistryKey opened;
    const LONG result = RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, opened.Put());
    existed_ = result == ERROR_SUCCESS;
    missingParents_ = 0;
    if (result == ERROR_FILE_NOT_FOUND) {
        wchar_t parent[MAX_PATH];
        CopyMemory(parent, path_, sizeof parent);
        while (CutToParent(parent) && KeyIsMissing(root, parent))
            ++missingParents_;
        return true;
    }
    if (!existed_)
        return false;
    const HKEY key = opened.Get();

    DWORD count = 0;
    DWORD longestName = 0;
    DWORD largestData = 0;
    bool read = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                                 &longestName, &largestData, nullptr, nullptr) == ERROR_SUCCESS;
    dataOffset_ = sizeof(ValueHeader) + (longestName + 1) * sizeof(wchar_t);
    // Each record starts on a DWORD boundary.
    stride_ = (dataOffset_ + largestData + 3) & ~3u;
    if (read && count > 0) {
        values_.reset(new (std::nothrow) BYTE[static_cast<size_t>(count) * stride_]);
        read = values_ != nullptr;
    }
    for (DWORD index = 0; read && index < count; ++index) {
        BYTE* record = values_.get() + static_cast<size_t>(index) * stride_;
        auto* header = reinterpret_cast<ValueHeader*>(record);
        auto* name = reinterpret_cast<wchar_t*>(record + sizeof(ValueHeader));
        DWORD nameLength = longestName + 1;
        header->DataSize = largestData;
        read = RegEnumValueW(key, index, name, &nameLength, nullptr, &header->Type,
                             record + dataOffset_, &header->DataSize) == ERROR_SUCCESS;
    }
    count_ = read ? count : 0;
    return read;
}

bool KeySnapshot::PutBack() const {
    if (!existed_) {
        const LONG deleted = RegDeleteKeyW(root_, path_);
        if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
            return false;
        wchar_t parent[MAX_PATH];
        CopyMemory(parent, path_, sizeof parent);
        bool done = true;
        for (int left = missingParents_; done && left > 0 && CutToParent(parent); --left)
            done = DeleteIfEmpty(root_, parent);
        return done;
    }
    RegistryKey created;
    if (RegCreateKeyExW(root_, path_, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, created.Put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    const HKEY key = created.Get();
    bool done = DeleteValues(key);
    for (DWORD index = 0; index < count_; ++index) {
        const BYTE* record = values_.get() + static_cast<size_t>(index) * stride_;
        const auto* header = reinterpret_cast<const ValueHeader*>(record);
        const auto* name = reinterpret_cast<const wchar_t*>(record + sizeof(ValueHeader));
        done = RegSetValueExW(key, name, 0, header->Type, record + dataOffset_, header->DataSize) ==
                   ERROR_SUCCESS &&
               done;
    }
    return done;
}
