#include "common/code_page_932.h"

namespace {

constexpr UINT kCodePage932 = 932;
} // namespace

int Cp932ToWide(const char* text, wchar_t* out, int room) {
    if (room <= 0)
        return 0;
    int written = 0;
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    while (*at != '\0') {
        // A lead byte and its second byte are one character; a lead byte right before the
        // terminator stands alone.
        const int width = (IsDBCSLeadByteEx(kCodePage932, *at) && at[1] != '\0') ? 2 : 1;
        wchar_t wide[2];
        int units =
            MultiByteToWideChar(kCodePage932, 0, reinterpret_cast<const char*>(at), width, wide, 2);
        if (units <= 0) {
            wide[0] = L'?';
            units = 1;
        }
        if (written + units > room - 1)
            break;
        for (int i = 0; i < units; ++i)
            out[written++] = wide[i];
        at += width;
    }
    out[written] = L'\0';
    return written;
}
