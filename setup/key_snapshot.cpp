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
    if (result == ERROR_FILE_NOT_FOUND)
        return true;
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
        return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
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
