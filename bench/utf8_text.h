// UTF-8 to UTF-16 and back for the benchmark and match-demo, done here whatever the locale:
// the names they make or read from a folder are UTF-8, the matcher reads UTF-16.
#pragma once

#include "text/utf16.h"

#include <cstddef>
#include <string>

namespace utf8 {

using Text = std::basic_string<Utf16Char>;

// Code points to UTF-8; a surrogate without its partner becomes U+FFFD.
inline std::string FromUtf16(const Text& text) {
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
inline Text ToUtf16(const std::string& utf8) {
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

} // namespace utf8
