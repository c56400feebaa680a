// The matcher's definition, transcribed literally as a recursion over characters (a
// surrogate pair is one code point, a surrogate without its partner a character of its own):
// each star first covers nothing, then one more character at a time. Exponential in the
// number of stars, so it is only fit for short strings; the tests, fuzzers and benchmark hold
// the real matcher against it.
#pragma once

#include "text/case_fold.h"
#include "text/utf16.h"

#include <cstdint>
#include <string>

namespace reference {

inline std::u32string Characters(const Utf16Char* text) {
    std::u32string characters;
    for (const Utf16Char* at = text; *at != 0; ++at) {
        const auto unit = static_cast<char32_t>(*at);
        if (IsHighSurrogate(unit) && IsLowSurrogate(at[1])) {
            characters +=
                0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(at[1]) - 0xDC00);
            ++at;
        } else {
            characters += unit;
        }
    }
    return characters;
}

// Letters of the Basic Multilingual Plane fold; characters above it compare as they are.
inline char32_t FoldForMatch(char32_t c) {
    return c < 0x10000 ? FoldUnit(static_cast<std::uint16_t>(c)) : c;
}

inline int RecursiveMatch(const char32_t* pattern, const char32_t* name, std::uint64_t* calls) {
    if (calls != nullptr)
        ++*calls;
    if (*pattern == 0)
        return *name == 0 ? 1 : 0;
    if (*pattern == '*') {
        if (RecursiveMatch(pattern + 1, name, calls))
            return 1;
        if (*name == 0)
            return 0;
        return RecursiveMatch(pattern, name + 1, calls);
    }
    if (*name == 0)
        return 0;
    if (*pattern != '?' && FoldForMatch(*pattern) != FoldForMatch(*name))
        return 0;
    return RecursiveMatch(pattern + 1, name + 1, calls);
}

// 1 when the whole name matches the whole pattern. When calls is given, it counts the
// recursive calls, so that a caller can tell how much work a pair took.
inline int RecursiveWildcardMatch(const Utf16Char* pattern, const Utf16Char* name,
                                  std::uint64_t* calls = nullptr) {
    return RecursiveMatch(Characters(pattern).c_str(), Characters(name).c_str(), calls);
}

} // namespace reference
