#include "setup/setup_messages.h"

#include "common/code_page_932.h"

namespace {

// Appends text at out[written], bounded by room; returns the new length.
int Append(wchar_t* out, int room, int written, const wchar_t* text) {
    for (int i = 0; text != nullptr && text[i] != L'\0' && written < room - 1; ++i)
        out[written++] = text[i];
    return written;
}

} // namespace

void FormMessageText(wchar_t (&out)[kMessageRoom], const char* text, const wchar_t* first,
                     const wchar_t* second) {
    wchar_t format[kMessageRoom];
    Cp932ToWide(text, format, kMessageRoom);
    const wchar_t* arguments[] = {first, second};
    int used = 0;
    int written = 0;
    for (int i = 0; format[i] != L'\0' && written < kMessageRoom - 1; ++i) {
        if (format[i] == L'%' && format[i + 1] == L's' && used < 2) {
            written = Append(out, kMessageRoom, written, arguments[used++]);
            ++i;
        } else {
            out[written++] = format[i];
        }
    }
    out[written] = L'\0';
}

int ShowMessage(HWND owner, const char* text, const char* caption, UINT type, const wchar_t* first,
                const wchar_t* second) {
    wchar_t shown[kMessageRoom];
    FormMessageText(shown, text, first, second);
    return ShowWideMessage(owner, shown, caption, type);
}
