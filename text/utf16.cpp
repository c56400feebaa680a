#include "text/utf16.h"

// Four units a round: the branch that ends the loop is the costly one, as names differ in
// length. Nothing behind the terminator is read.
std::size_t Utf16Length(const Utf16Char* text) {
    const Utf16Char* end = text;
    for (;; end += 4) {
        if (end[0] == 0)
            return static_cast<std::size_t>(end - text);
        if (end[1] == 0)
            return static_cast<std::size_t>(end - text) + 1;
        if (end[2] == 0)
            return static_cast<std::size_t>(end - text) + 2;
        if (end[3] == 0)
            return static_cast<std::size_t>(end - text) + 3;
    }
}

int FindUnit(const Utf16Char* text, Utf16Char unit) {
    for (int index = 0; text[index] != 0; ++index) {
        if (text[index] == unit)
            return index;
    }
    return -1;
}
