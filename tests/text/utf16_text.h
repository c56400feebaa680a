// UTF-16 text in the tests, the benchmark and match-demo: literals of the matcher's unit type,
// conversions from and to UTF-8 (done here, whatever the locale), a printable form, and the
// row of the matchers' tables.
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

// Code points to UTF-8; a surrogate without its partner becomes U+FFFD.
inline std::string ToUtf8(const Text& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        else if (IsSurrogate(c))
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// UTF-8 to UTF-16; a byte that starts no well-formed sequence becomes U+FFFD.
inline Text FromUtf8(const std::string& utf8) {
    static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    Text out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int more = lead < 0x80   ? 0
                   : lead < 0xC2 ? -1
                   : lead < 0xE0 ? 1
                   : lead < 0xF0 ? 2
                   : lead < 0xF5 ? 3
                                 : -1;
        char32_t c = more > 0 ? lead & (0x3Fu >> more) : lead;
        for (int k = 1; k <= more; ++k) {
            if (i + k >= utf8.size() || (utf8[i + k] & 0xC0) != 0x80) {
                more = -1;
                break;
            }
            c = c << 6 | (utf8[i + k] & 0x3F);
        }
        if (more < 0 || c < kLeast[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += static_cast<Utf16Char>(0xFFFD);
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out += static_cast<Utf16Char>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<Utf16Char>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<Utf16Char>(c);
        }
        i += static_cast<std::size_t>(more) + 1;
    }
    return out;
}

// For messages: printable characters in UTF-8; controls, the backslash and every
// surrogate as \uXXXX.
inline std::string Shown(const Text& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (Utf16Char unit : text) {
        const auto c = static_cast<unsigned>(unit);
        if (c >= 0x20 && c != 0x7F && c != '\\' && !IsSurrogate(c)) {
            out += ToUtf8(Text(1, unit));
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
