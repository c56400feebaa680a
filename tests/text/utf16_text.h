// UTF-16 text in the tests and the benchmark: literals of the matcher's unit type, a printable
// form, and the row of the matchers' tables.
#pragma once

#include "text/utf16.h"

#include <cstddef>
#include <string>

// U16("表.txt"): a literal of Utf16Char, whichever type that is. A surrogate without its
// partner is written as a hex escape: U16("\xD800").
#if defined(_WIN32)
#define U16(text) L##text
#else
#define U16(text) u##text
#endif

namespace testtext {

using Text = std::basic_string<Utf16Char>;

// For messages: printable ASCII as it is; every other unit, and the backslash, as \uXXXX.
inline std::string Shown(const Text& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (Utf16Char unit : text) {
        const auto c = static_cast<unsigned>(unit);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += digits[c >> shift & 0xF];
        }
    }
    return out;
}

// A pattern (a wildcard, or a whole pattern line) and a name, with the expected answer: 1 for
// a match, 0 for none.
struct MatchRow {
    const char* label;
    Text pattern;
    Text name;
    int expected;
};

} // namespace testtext
