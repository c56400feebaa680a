// The tests' UTF-8 texts as UTF-16 and back, and UTF-16 in the ANSI code page, as the "A"
// functions of Windows give it.
#pragma once

#include <windows.h>

#include <string>

namespace wide_text {

// Every unit of the text is converted, a zero among them too.
inline std::wstring ToWide(UINT codePage, const std::string& text) {
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(length > 0 ? length : 0, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

// noForm: the byte for a character without a form, or null for the code page's default.
inline std::string FromWide(UINT codePage, DWORD flags, const char* noForm,
                            const std::wstring& wide) {
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, noForm, nullptr);
    std::string bytes(length > 0 ? length : 0, '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, noForm, nullptr);
    return bytes;
}

} // namespace wide_text

// The tests' narrow texts are UTF-8, as their sources are.
inline std::wstring Wide(const std::string& utf8) {
    return wide_text::ToWide(CP_UTF8, utf8);
}

inline std::string Utf8(const std::wstring& wide) {
    return wide_text::FromWide(CP_UTF8, 0, nullptr, wide);
}

// UTF-16 text in the ANSI code page, as an "A" function of Windows gives it (with best fit).
inline std::string Ansi(const std::wstring& wide) {
    return wide_text::FromWide(CP_ACP, 0, nullptr, wide);
}
