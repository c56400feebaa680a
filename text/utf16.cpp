#include "text/utf16.h"

int FindUnit(const Utf16Char* text, Utf16Char unit) {
    for (int index = 0; text[index] != 0; ++index) {
        if (text[index] == unit)
            return index;
    }
    return -1;
}
