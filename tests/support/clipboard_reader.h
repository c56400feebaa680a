// Reads, seeds and empties the real clipboard the way another program would, for tests of
// what a paste would find and for the stand-in Explorer's report. Every call opens and
// closes the clipboard itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The format number of "Preferred DropEffect".
UINT DropEffectFormat();
// Every format on the clipboard, in the clipboard's order.
std::vector<UINT> ClipboardFormats();
// The whole global block of one format (GlobalSize bytes); false when it is not there.
bool ClipboardBlock(UINT format, std::string* bytes);
// The paths of the CF_HDROP list as DragQueryFileW gives them.
std::vector<std::wstring> ClipboardDropPaths();
// Empties the clipboard and puts text under CF_TEXT and the given bytes under a private
// registered format, owned by owner. True when both were accepted.
bool SeedClipboard(HWND owner, const std::string& text, UINT privateFormat,
                   const std::string& privateBytes);
// Empties the clipboard, owned by owner afterwards.
void ClearClipboard(HWND owner);
// Puts text on the clipboard as CF_UNICODETEXT, in place of what it held.
bool PutClipboardText(HWND owner, const std::wstring& text);

// Holds the clipboard open from another thread, as another program would, until it is
// destroyed or for the given time.
class ClipboardHolder {
public:
    explicit ClipboardHolder(DWORD milliseconds = 10000);
    ~ClipboardHolder();
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    bool Holding() const { return holding_; }

private:
    static DWORD WINAPI Run(void* self);

    HANDLE opened_ = nullptr;
    HANDLE release_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD milliseconds_;
    bool holding_ = false;
};
