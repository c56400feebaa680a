// Helpers of the byte-string tests: a printable form of byte strings, and the name generator
// of table-driven suites.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/row_label.h"

namespace testtext {

// Printable ASCII as is; every other byte, and the backslash, as \xNN.
inline std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 0xF];
        }
    }
    return out;
}

using ::RowLabel;

} // namespace testtext
