#include "engine/clipboard_transfer.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>

#include "common/message_box.h"

const char kClipboardBusyText[] = "クリップボードを開けませんでした。他のプログラムが使用中です。";
const char kClipboardErrorCaption[] = "Error";

namespace {

// Registered format under which the shell reads whether a paste copies or moves.
const char kDropEffectFormat[] = "Preferred DropEffect";

// Another program holds the clipboard only for a moment as a rule; it is asked for this many
// times, this far apart, before the user is told.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenRetryMilliseconds = 100;

constexpr SIZE_T kHeaderBytes = sizeof(DROPFILES);
static_assert(sizeof(DROPFILES) == 20, "the shell reads a 20-byte DROPFILES header");

// Bytes of the file list without its closing zero: each UTF-16 path with its terminator.
// Counted from the strings themselves rather than taken from PathBytesTotal, so that a total
// that disagrees with the list can never make the copy run past the block.
SIZE_T ListBytes(WideStringList* paths) {
    SIZE_T total = 0;
    if (paths == nullptr)
        return 0;
    for (const wchar_t* path = paths->GetFirst(); path != nullptr; path = paths->GetNext())
        total += (wcslen(path) + 1) * sizeof(wchar_t);
    return total;
}

// The CF_HDROP block: header, every path with its terminator, and the list's closing zero
// from the zero fill. The paths are UTF-16 (fWide), so every name reaches a paste exactly.
// Null when the memory cannot be had.
HGLOBAL BuildDropBlock(WideStringList* paths, SIZE_T listBytes) {
    HGLOBAL block =
        GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kHeaderBytes + listBytes + sizeof(wchar_t));
    if (block == nullptr)
        return nullptr;
    char* bytes = static_cast<char*>(GlobalLock(block));
    if (bytes == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    DROPFILES header = {};
    header.pFiles = static_cast<DWORD>(kHeaderBytes);
    header.fWide = TRUE;
    std::memcpy(bytes, &header, kHeaderBytes);

    char* position = bytes + kHeaderBytes;
    char* const listEnd = position + listBytes;
    if (paths != nullptr) {
        for (const wchar_t* path = paths->GetFirst(); path != nullptr; path = paths->GetNext()) {
            const SIZE_T size = (wcslen(path) + 1) * sizeof(wchar_t);
            if (size > static_cast<SIZE_T>(listEnd - position))
                break;
            std::memcpy(position, path, size);
            position += size;
        }
    }
    GlobalUnlock(block);
    return block;
}

HGLOBAL BuildEffectBlock(DWORD effect) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD));
    if (block == nullptr)
        return nullptr;
    void* bytes = GlobalLock(block);
    if (bytes == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(bytes, &effect, sizeof effect);
    GlobalUnlock(block);
    return block;
}

bool OpenClipboardWithRetry(HWND owner) {
    for (int attempt = 1;; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        if (attempt == kOpenAttempts)
            return false;
        Sleep(kOpenRetryMilliseconds);
    }
}

} // namespace

void PutFilesOnClipboard(RunRecord& run, HWND clipboardOwner, HWND messageOwner) {
    // A line that matched nothing leaves the clipboard with what the user had put there.
    const SIZE_T listBytes = ListBytes(run.SelectedPaths);
    if (listBytes == 0)
        return;
    HGLOBAL dropBlock = BuildDropBlock(run.SelectedPaths, listBytes);
    if (dropBlock == nullptr)
        return;
    const DWORD effect = run.Action == ClipboardCopy ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    HGLOBAL effectBlock = BuildEffectBlock(effect);
    if (effectBlock == nullptr) {
        GlobalFree(dropBlock);
        return;
    }
    // Both blocks are complete before the clipboard is opened, so that a failure leaves
    // the clipboard with what it had.
    if (!OpenClipboardWithRetry(clipboardOwner)) {
        GlobalFree(effectBlock);
        GlobalFree(dropBlock);
        ShowCp932Message(messageOwner, kClipboardBusyText, kClipboardErrorCaption, MB_OK);
        return;
    }
    EmptyClipboard();
    // The clipboard owns a block only once it has accepted it.
    if (SetClipboardData(CF_HDROP, dropBlock) == nullptr) {
        GlobalFree(dropBlock);
        // An effect without a file list means nothing to a paste.
        GlobalFree(effectBlock);
    } else {
        const UINT effectFormat = RegisterClipboardFormatA(kDropEffectFormat);
        if (effectFormat == 0 || SetClipboardData(effectFormat, effectBlock) == nullptr)
            GlobalFree(effectBlock);
    }
    CloseClipboard();
}
