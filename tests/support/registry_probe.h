// Reading registry values back exactly as stored, and removing keys a test wrote.
#pragma once

#include <windows.h>

#include <string>

struct StoredValue {
    bool Exists = false;
    DWORD Type = REG_NONE;
    // The stored bytes, terminators included; Data.size() is the stored size.
    std::string Data;
};

StoredValue ReadStoredValue(HKEY root, const std::string& key, const char* name);
bool KeyExists(HKEY root, const std::string& key);
// Deletes key with all its subkeys and values; a missing key is fine.
void DeleteKeyTree(HKEY root, const std::string& key);
// A REG_SZ value's expected bytes: the text and its terminator.
inline std::string WithTerminator(const std::string& text) {
    return text + '\0';
}
// A REG_DWORD's bytes.
std::string DwordBytes(DWORD value);
