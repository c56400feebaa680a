// Helpers shared by the portable tests: a printable form of byte strings and the name
// generator of table-driven suites (each row carries a label).
#pragma once

#include <gtest/gtest.h>

#include <string>

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

// Names a TEST_P instance after its row's label, so that a failing row names itself and
// test names stay the same from build to build.
struct RowLabel {
    template <typename Row> std::string operator()(const testing::TestParamInfo<Row>& row) const {
        return row.param.label;
    }
};

} // namespace testtext
