// Code page 932 texts of the tests (their narrow literals) as UTF-16 and back, converted with
// code page 932 itself whatever the system's ANSI code page, independently of the programs'
// own conversions.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring Wide(const std::string& cp932) {
    const int length = MultiByteToWideChar(932, 0, cp932.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(932, 0, cp932.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

// Characters without a code page 932 form become "?".
inline std::string Cp932(const std::wstring& wide) {
    const int length =
        WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, "?", nullptr);
    std::string bytes(length > 0 ? length : 1, '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, &bytes[0], length, "?",
                        nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

// For messages and file contents that a reader of the test output understands.
inline std::string Utf8(const std::wstring& wide) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(length > 0 ? length : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &bytes[0], length, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}
