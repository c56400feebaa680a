// UTF-16 text as Windows holds file names and the typed line. The matcher works on its units
// and reads a surrogate pair as one character.
#pragma once

#include <cstddef>

#if defined(_WIN32)
// Windows' own wide character, so that its callers hand over their text as it is.
using Utf16Char = wchar_t;
#else
using Utf16Char = char16_t;
#endif

constexpr bool IsSurrogate(unsigned unit) {
    return (unit & 0xF800) == 0xD800;
}
constexpr bool IsHighSurrogate(unsigned unit) {
    return (unit & 0xFC00) == 0xD800;
}
constexpr bool IsLowSurrogate(unsigned unit) {
    return (unit & 0xFC00) == 0xDC00;
}

// The units before the terminator.
std::size_t Utf16Length(const Utf16Char* text);

// Index of the first unit equal to unit, or -1; unit 0 gives -1.
int FindUnit(const Utf16Char* text, Utf16Char unit);
