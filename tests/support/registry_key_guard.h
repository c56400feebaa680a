// The registry as a test reads and writes it. A guard gives a test the sole use of one key. The
// guard waits for other test processes that guard the same key, saves the key's whole tree and
// deletes it, so the test starts without the key; on destruction it deletes whatever the test left
// there and puts the saved tree back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/process_lock.h"
#include "tests/support/uncopyable.h"

class RegistryKeyGuard : private Uncopyable {
public:
    RegistryKeyGuard(HKEY root, std::wstring path);
    ~RegistryKeyGuard();

    // Data: the stored bytes.
    struct Value {
        std::wstring Name;
        DWORD Type = REG_NONE;
        std::string Data;
    };
    struct Tree {
        std::wstring Name;
        std::vector<Value> Values;
        std::vector<Tree> Keys;
    };

private:
    ProcessLock lock_;
    HKEY root_;
    std::wstring path_;
    std::optional<Tree> saved_;
};

// A registry value read back as stored. The data of a string type (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) is given and taken in UTF-8, as the "A" functions give and take it in the ANSI
// code page: the stored UTF-16 units, terminators included, each as UTF-8; other data as its
// bytes.
struct StoredValue {
    bool Exists = false;
    DWORD Type = REG_NONE;
    // Terminators included; for other types than strings, Data.size() is the stored size.
    std::string Data;
};

// A null name is the key's default value.
StoredValue ReadStoredValue(HKEY root, const std::wstring& key, const wchar_t* name);
// The names of the values of a key, sorted; empty when the key does not exist.
std::vector<std::wstring> RegistryValueNames(HKEY root, const std::wstring& key);
bool KeyExists(HKEY root, const std::wstring& key);

// Writes a value of any type with the given data (UTF-8 for a string type, else its bytes),
// creating the key as needed.
bool WriteRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type,
                        const std::string& data);
bool WriteRegistryDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD number);
// Writes a REG_SZ value: the text and its terminator.
bool WriteRegistryString(HKEY root, const std::wstring& key, const wchar_t* name,
                         const std::string& text);
// Deletes key with all its subkeys and values; a missing key is fine.
void DeleteKeyTree(HKEY root, const std::wstring& key);

// A REG_SZ value's bytes: the text and its terminator.
inline std::string WithTerminator(const std::string& text) {
    return text + '\0';
}
// A REG_DWORD's bytes.
inline std::string DwordBytes(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}
