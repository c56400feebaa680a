#include "engine/clipboard_transfer.h"

#include <shlobj.h>

#include <cstring>

namespace {

// Registered format under which the shell reads whether a paste copies or moves.
const char kDropEffectFormat[] = "Preferred DropEffect";

constexpr SIZE_T kHeaderBytes = sizeof(DROPFILES);
static_assert(sizeof(DROPFILES) == 20, "the shell reads a 20-byte DROPFILES header");

// Bytes of the file list without its closing zero: each path with its terminator. Counted
// from the strings themselves rather than taken from PathBytesTotal, so that a total that
// disagrees with the list can never make the copy run past the block.
SIZE_T ListBytes(StringList* paths) {
    SIZE_T total = 0;
    if (paths == nullptr)
        return 0;
    for (const char* path = paths->GetFirst(); path != nullptr; path = paths->GetNext())
        total += std::strlen(path) + 1;
    return total;
}

// The CF_HDROP block: header, every path with its terminator, and the list's closing zero
// from the zero fill. Null when the memory cannot be had.
HGLOBAL BuildDropBlock(StringList* paths) {
    const SIZE_T listBytes = ListBytes(paths);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kHeaderBytes + listBytes + 1);
    if (block == nullptr)
        return nullptr;
    char* bytes = static_cast<char*>(GlobalLock(block));
    if (bytes == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    DROPFILES header = {};
    header.pFiles = static_cast<DWORD>(kHeaderBytes);
    header.fWide = FALSE;
    std::memcpy(bytes, &header, kHeaderBytes);

    char* position = bytes + kHeaderBytes;
    char* const listEnd = position + listBytes;
    if (paths != nullptr) {
        for (const char* path = paths->GetFirst(); path != nullptr; path = paths->GetNext()) {
            const SIZE_T size = std::strlen(path) + 1;
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

} // namespace

void PutFilesOnClipboard(RunRecord& run, HWND owner) {
    HGLOBAL dropBlock = BuildDropBlock(run.SelectedPaths);
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
    if (!OpenClipboard(owner)) {
        GlobalFree(effectBlock);
        GlobalFree(dropBlock);
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
