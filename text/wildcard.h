// Whole-name wildcard match on byte strings: "*" covers any run of bytes, "?" one byte,
// every other byte is a literal compared with the ASCII letters folded to upper case.
// No escapes, no character classes, no locale.
#pragma once

// The byte as the matcher compares it: a-z become A-Z; every other value, 0x80-0xFF
// included, stays as it is.
constexpr unsigned char FoldedByte(unsigned char c) {
    return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
}

// FoldedByte of every byte value, for the matchers' inner loops.
struct FoldTable {
    unsigned char folded[256];
    constexpr FoldTable() : folded() {
        for (int c = 0; c < 256; ++c)
            folded[c] = FoldedByte(static_cast<unsigned char>(c));
    }
};
inline constexpr FoldTable kFold;

// 1 when the whole name matches the whole pattern, else 0.
// Worst case O(strlen(pattern) * strlen(name)) steps; no recursion, no allocation.
int WildcardMatch(const char* pattern, const char* name);
