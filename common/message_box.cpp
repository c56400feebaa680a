#include "common/message_box.h"

#include "common/code_page_932.h"

namespace {

// The captions are product names and single words.
constexpr int kCaptionRoom = 64;

} // namespace

int ShowWideMessage(HWND owner, const wchar_t* text, const char* caption, UINT type) {
    wchar_t title[kCaptionRoom];
    Cp932ToWide(caption, title, kCaptionRoom);
    return MessageBoxW(owner, text, title, type);
}

int ShowCp932Message(HWND owner, const char* text, const char* caption, UINT type) {
    wchar_t shown[kMessageRoom];
    Cp932ToWide(text, shown, kMessageRoom);
    return ShowWideMessage(owner, shown, caption, type);
}
