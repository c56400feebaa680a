// The matcher's definition, transcribed literally as a recursion: each star first covers
// nothing, then one more byte at a time. Exponential in the number of stars, so it is only
// fit for short strings; the tests, fuzzers and benchmark hold the real matcher against it.
#pragma once

#include <cstdint>

namespace reference {

inline unsigned char FoldForMatch(unsigned char c) {
    return (c >= 0x61 && c <= 0x7A) ? static_cast<unsigned char>(c - 0x20) : c;
}

// 1 when the whole name matches the whole pattern. When calls is given, it counts the
// recursive calls, so that a caller can tell how much work a pair took.
inline int RecursiveWildcardMatch(const char* pattern, const char* name,
                                  std::uint64_t* calls = nullptr) {
    if (calls != nullptr)
        ++*calls;
    const unsigned char p = static_cast<unsigned char>(*pattern);
    const unsigned char n = static_cast<unsigned char>(*name);
    if (p == 0)
        return n == 0 ? 1 : 0;
    if (p == '*') {
        if (RecursiveWildcardMatch(pattern + 1, name, calls))
            return 1;
        if (n == 0)
            return 0;
        return RecursiveWildcardMatch(pattern, name + 1, calls);
    }
    if (p == '?') {
        if (n == 0)
            return 0;
        return RecursiveWildcardMatch(pattern + 1, name + 1, calls);
    }
    if (FoldForMatch(p) != FoldForMatch(n))
        return 0;
    return RecursiveWildcardMatch(pattern + 1, name + 1, calls);
}

} // namespace reference
