#include "common/message_box.h"

#include "common/resource_text.h"

namespace {

// The captions are product names and single words.
constexpr int kCaptionRoom = 64;

MessageSink sink = nullptr;

// Appends text at out[written], bounded by room; returns the new length.
int Append(wchar_t* out, int room, int written, const wchar_t* text) {
    for (int i = 0; text != nullptr && text[i] != L'\0' && written < room - 1; ++i)
        out[written++] = text[i];
    return written;
}

int Deliver(HWND owner, UINT textId, const wchar_t* text, HINSTANCE module, UINT captionId,
            UINT type) {
    wchar_t caption[kCaptionRoom];
    LoadText(module, captionId, caption, kCaptionRoom);
    if (sink != nullptr)
        return sink(owner, textId, text, caption, type);
    return MessageBoxW(owner, text, caption, type);
}

} // namespace

void FormText(wchar_t (&out)[kMessageRoom], const wchar_t* format,
              std::initializer_list<const wchar_t*> arguments) {
    const wchar_t* const* next = arguments.begin();
    int written = 0;
    for (int i = 0; format[i] != L'\0' && written < kMessageRoom - 1; ++i) {
        if (format[i] == L'%' && format[i + 1] == L's') {
            if (next != arguments.end())
                written = Append(out, kMessageRoom, written, *next++);
            ++i;
        } else {
            out[written++] = format[i];
        }
    }
    out[written] = L'\0';
}

int ShowText(HWND owner, const wchar_t* text, HINSTANCE module, UINT captionId, UINT type) {
    return Deliver(owner, 0, text, module, captionId, type);
}

void SetMessageSink(MessageSink next) {
    sink = next;
}

int ShowMessage(HWND owner, HINSTANCE module, UINT textId, UINT captionId, UINT type,
                std::initializer_list<const wchar_t*> arguments) {
    wchar_t format[kMessageRoom];
    LoadText(module, textId, format, kMessageRoom);
    wchar_t text[kMessageRoom];
    FormText(text, format, arguments);
    return Deliver(owner, textId, text, module, captionId, type);
}
