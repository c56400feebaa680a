// Only the tests write code page 932 (the programs read it, in Cp932ToWide): a file of its own,
// so that the programs do not link it.
#include "common/code_page_932.h"

namespace {

constexpr UINT kCodePage932 = 932;
constexpr char kNoFormByte = '?';

// One character (count units, no surrogates) in code page 932, written to out when it fits
// in room bytes. Returns its width, or 0 when it does not fit.
int ConvertCharacter(const wchar_t* character, int count, char* out, int room) {
    char bytes[4];
    const char noForm[] = {kNoFormByte, '\0'};
    int width = WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, character, count, bytes,
                                    sizeof bytes, noForm, nullptr);
    if (width <= 0) {
        bytes[0] = kNoFormByte;
        width = 1;
    }
    if (width > room)
        return 0;
    CopyMemory(out, bytes, width);
    return width;
}

} // namespace

int WideToCp932(const wchar_t* text, int length, char* out, int room) {
    if (room <= 0)
        return 0;
    int written = 0;
    for (int i = 0; length < 0 ? text[i] != L'\0' : i < length;) {
        const wchar_t unit = text[i];
        int width = 0;
        int units = 1;
        if (unit < 0x80) {
            // Code page 932 is ASCII below 0x80.
            if (written < room - 1) {
                out[written] = static_cast<char>(unit);
                width = 1;
            }
        } else if (IS_HIGH_SURROGATE(unit) || IS_LOW_SURROGATE(unit)) {
            const bool pair = IS_HIGH_SURROGATE(unit) && (length < 0 || i + 1 < length) &&
                              IS_LOW_SURROGATE(text[i + 1]);
            units = pair ? 2 : 1;
            if (written < room - 1) {
                out[written] = kNoFormByte;
                width = 1;
            }
        } else {
            width = ConvertCharacter(&text[i], 1, out + written, room - 1 - written);
        }
        if (width == 0)
            break;
        written += width;
        i += units;
    }
    out[written] = '\0';
    return written;
}
