// Code page 932 texts of the tests (their narrow literals) as UTF-16 and back, converted with
// code page 932 itself whatever the system's ANSI code page, independently of the programs'
// own conversions; and texts in the ANSI code page, as the "A" functions of Windows take and
// give them.
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

// Text in the ANSI code page, read as an "A" function of Windows reads it.
inline std::wstring FromAnsi(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

// UTF-16 text in the ANSI code page, as an "A" function of Windows gives it (with best fit).
inline std::string Ansi(const std::wstring& wide) {
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(length > 0 ? length : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &bytes[0], length, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}
