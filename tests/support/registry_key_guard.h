// Gives a test the sole use of one registry key. The guard waits for other test
// processes that guard the same key, saves the key's whole tree and deletes it, so the
// test starts without the key; on destruction it deletes whatever the test left there
// and puts the saved tree back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/process_lock.h"

class RegistryKeyGuard {
public:
    RegistryKeyGuard(HKEY root, std::string path);
    ~RegistryKeyGuard();
    RegistryKeyGuard(const RegistryKeyGuard&) = delete;
    RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;

    struct Value {
        std::string Name;
        DWORD Type = REG_NONE;
        std::string Data;
    };
    struct Tree {
        std::string Name;
        std::vector<Value> Values;
        std::vector<Tree> Keys;
    };

private:
    ProcessLock lock_;
    HKEY root_;
    std::string path_;
    std::optional<Tree> saved_;
};

// A registry value as raw bytes, read with the ANSI functions.
struct RegistryValue {
    DWORD Type = REG_NONE;
    std::string Data;
};

// Writes a value of any type with exactly the given bytes, creating the key as needed.
bool WriteRegistryValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                        const std::string& data);
bool WriteRegistryDword(HKEY root, const std::string& path, const std::string& name, DWORD number);
// Writes a REG_SZ value: the text and its terminator.
bool WriteRegistryString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& text);
// The value's type and bytes, or nothing when the key or the value does not exist.
std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::string& path,
                                               const std::string& name);
// The names of the values of a key, sorted; empty when the key does not exist.
std::vector<std::string> RegistryValueNames(HKEY root, const std::string& path);
bool RegistryKeyExists(HKEY root, const std::string& path);
