// Helpers shared by the portable tests: a printable form of byte strings, the row of the
// matchers' tables, and the name generator of table-driven suites.
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

// A pattern (a wildcard, or a whole pattern line) and a name, with the expected answer: 1 for a
// match, 0 for none.
struct MatchRow {
    const char* label;
    std::string pattern;
    std::string name;
    int expected;
};

using ::RowLabel;

} // namespace testtext
