#include "engine/clipboard_transfer.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>

#include "common/owned.h"

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
SIZE_T ListBytes(WideStringList& paths) {
    SIZE_T total = 0;
    for (const wchar_t* path = paths.GetFirst(); path != nullptr; path = paths.GetNext())
        total += (wcslen(path) + 1) * sizeof(wchar_t);
    return total;
}

// The CF_HDROP block: header, every path with its terminator, and the list's closing zero
// from the zero fill. The paths are UTF-16 (fWide), so every name reaches a paste exactly.
// Empty when the memory cannot be had.
GlobalMemory BuildDropBlock(WideStringList& paths, SIZE_T listBytes) {
    GlobalMemory block(
        GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kHeaderBytes + listBytes + sizeof(wchar_t)));
    const GlobalLockOf<char> bytes(block.Get());
    if (bytes.Get() == nullptr)
        return GlobalMemory();
    DROPFILES header = {};
    header.pFiles = static_cast<DWORD>(kHeaderBytes);
    header.fWide = TRUE;
    std::memcpy(bytes.Get(), &header, kHeaderBytes);

    char* position = bytes.Get() + kHeaderBytes;
    char* const listEnd = position + listBytes;
    for (const wchar_t* path = paths.GetFirst(); path != nullptr; path = paths.GetNext()) {
        const SIZE_T size = (wcslen(path) + 1) * sizeof(wchar_t);
        if (size > static_cast<SIZE_T>(listEnd - position))
            break;
        std::memcpy(position, path, size);
        position += size;
    }
    return block;
}

GlobalMemory BuildEffectBlock(DWORD effect) {
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD)));
    const GlobalLockOf<> bytes(block.Get());
    if (bytes.Get() == nullptr)
        return GlobalMemory();
    std::memcpy(bytes.Get(), &effect, sizeof effect);
    return block;
}

// The clipboard, open for as long as this lives.
class OpenClipboardScope {
public:
    // Another program holds the clipboard only for a moment as a rule; it is asked for a few
    // times before the caller is told.
    explicit OpenClipboardScope(HWND owner) {
        for (int attempt = 1; !open_ && attempt <= kOpenAttempts; ++attempt) {
            open_ = OpenClipboard(owner) != FALSE;
            if (!open_ && attempt < kOpenAttempts)
                Sleep(kOpenRetryMilliseconds);
        }
    }
    ~OpenClipboardScope() {
        if (open_)
            CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool Open() const { return open_; }

private:
    bool open_ = false;
};

} // namespace

ClipboardResult PutFilesOnClipboard(RunRecord& run, HWND clipboardOwner) {
    // A line that matched nothing leaves the clipboard with what the user had put there.
    const SIZE_T listBytes = ListBytes(run.SelectedPaths);
    if (listBytes == 0)
        return ClipboardResult::NothingToPut;
    GlobalMemory dropBlock = BuildDropBlock(run.SelectedPaths, listBytes);
    const DWORD effect = run.Action == ClipboardCopy ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    GlobalMemory effectBlock = BuildEffectBlock(effect);
    if (!dropBlock.Valid() || !effectBlock.Valid())
        return ClipboardResult::NoMemory;
    // Both blocks are complete before the clipboard is opened, so that a failure leaves
    // the clipboard with what it had.
    const OpenClipboardScope clipboard(clipboardOwner);
    if (!clipboard.Open())
        return ClipboardResult::Busy;
    EmptyClipboard();
    // The clipboard owns a block only once it has accepted it; an effect without a file list
    // means nothing to a paste.
    if (SetClipboardData(CF_HDROP, dropBlock.Get()) == nullptr)
        return ClipboardResult::NoMemory;
    dropBlock.Release();
    const UINT effectFormat = RegisterClipboardFormatA(kDropEffectFormat);
    if (effectFormat != 0 && SetClipboardData(effectFormat, effectBlock.Get()) != nullptr)
        effectBlock.Release();
    return ClipboardResult::Put;
}
