#include "tests/support/clipboard_reader.h"

#include <shellapi.h>

#include <cstring>

namespace {

// Wine may refuse briefly while another program holds the clipboard.
bool OpenWithRetry(HWND owner) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        Sleep(10);
    }
    return false;
}

// Puts a copy of the bytes on the opened clipboard; the clipboard owns the block once it
// has accepted it.
bool Put(UINT format, const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    void* data = block != nullptr ? GlobalLock(block) : nullptr;
    if (data != nullptr) {
        std::memcpy(data, bytes.data(), bytes.size());
        GlobalUnlock(block);
        if (SetClipboardData(format, block) != nullptr)
            return true;
    }
    if (block != nullptr)
        GlobalFree(block);
    return false;
}

} // namespace

UINT DropEffectFormat() {
    return RegisterClipboardFormatA("Preferred DropEffect");
}

std::vector<UINT> ClipboardFormats() {
    std::vector<UINT> formats;
    if (!OpenWithRetry(nullptr))
        return formats;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
        formats.push_back(format);
    CloseClipboard();
    return formats;
}

bool ClipboardBlock(UINT format, std::string* bytes) {
    bytes->clear();
    if (!OpenWithRetry(nullptr))
        return false;
    bool found = false;
    HANDLE block = GetClipboardData(format);
    if (block != nullptr) {
        const SIZE_T size = GlobalSize(block);
        const char* data = static_cast<const char*>(GlobalLock(block));
        if (data != nullptr) {
            bytes->assign(data, size);
            GlobalUnlock(block);
            found = true;
        }
    }
    CloseClipboard();
    return found;
}

std::vector<std::wstring> ClipboardDropPaths() {
    std::vector<std::wstring> paths;
    if (!OpenWithRetry(nullptr))
        return paths;
    HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    if (drop != nullptr) {
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT index = 0; index < count; ++index) {
            wchar_t path[MAX_PATH * 2] = {};
            DragQueryFileW(drop, index, path, MAX_PATH * 2);
            paths.push_back(path);
        }
    }
    CloseClipboard();
    return paths;
}

bool SeedClipboard(HWND owner, const std::string& text, UINT privateFormat,
                   const std::string& privateBytes) {
    if (!OpenWithRetry(owner))
        return false;
    EmptyClipboard();
    const bool textPut = Put(CF_TEXT, text + '\0');
    const bool privatePut = Put(privateFormat, privateBytes);
    CloseClipboard();
    return textPut && privatePut;
}

void ClearClipboard(HWND owner) {
    if (!OpenWithRetry(owner))
        return;
    EmptyClipboard();
    CloseClipboard();
}

bool PutClipboardText(HWND owner, const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr || !OpenWithRetry(owner)) {
        GlobalFree(memory);
        return false;
    }
    CopyMemory(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    EmptyClipboard();
    const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!put)
        GlobalFree(memory);
    CloseClipboard();
    return put;
}

ClipboardHolder::ClipboardHolder(DWORD milliseconds) : milliseconds_(milliseconds) {
    opened_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    WaitForSingleObject(opened_, 5000);
}

ClipboardHolder::~ClipboardHolder() {
    SetEvent(release_);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    CloseHandle(opened_);
    CloseHandle(release_);
}

DWORD WINAPI ClipboardHolder::Run(void* self) {
    auto* holder = static_cast<ClipboardHolder*>(self);
    HWND window = CreateWindowExA(0, "STATIC", "holder", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
    holder->holding_ = OpenClipboard(window) != 0;
    SetEvent(holder->opened_);
    WaitForSingleObject(holder->release_, holder->milliseconds_);
    if (holder->holding_)
        CloseClipboard();
    DestroyWindow(window);
    return 0;
}
