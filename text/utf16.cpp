#include "text/utf16.h"

std::size_t Utf16Length(const Utf16Char* text) {
    const Utf16Char* end = text;
    while (*end != 0)
        ++end;
    return static_cast<std::size_t>(end - text);
}

int FindUnit(const Utf16Char* text, Utf16Char unit) {
    for (int index = 0; text[index] != 0; ++index) {
        if (text[index] == unit)
            return index;
    }
    return -1;
}
