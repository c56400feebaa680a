// The fuzzers' inputs as UTF-16: every two bytes one unit, low byte first, a last odd byte
// dropped; text stops at its first zero unit.
#pragma once

#include "tests/text/utf16_text.h"

#include <cstddef>
#include <cstdio>
#include <string>

namespace fuzzinput {

inline testtext::Text Units(const std::string& bytes) {
    testtext::Text units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<Utf16Char>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit == 0)
            break;
        units += unit;
    }
    return units;
}

inline void Dump(const char* label, const testtext::Text& units) {
    std::fprintf(stderr, "%s (%zu units):", label, units.size());
    for (Utf16Char unit : units)
        std::fprintf(stderr, " %04X", static_cast<unsigned>(unit));
    std::fprintf(stderr, "\n");
}

} // namespace fuzzinput
