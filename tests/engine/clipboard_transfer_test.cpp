// PutFilesOnClipboard against Wine's real clipboard: the blocks are read back from the
// clipboard while this process still lives (Wine empties it once the last windowed
// process is gone), byte for byte and through DragQueryFileW.
#include "engine/clipboard_transfer.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/clipboard_reader.h"
#include "tests/support/import_patch.h"
#include "tests/support/modal_driver.h"
#include "tests/support/process_lock.h"
#include "tests/support/row_label.h"

namespace {

const char kPrivateFormatName[] = "Vestrane Test Private";
const std::string kSeedText = "kept text";
const std::string kSeedPrivate = std::string("\x01\x02\x00\x03", 4);

using Paths = std::vector<std::wstring>;

std::string Header() {
    // pFiles = 20, pt = (0, 0), fNC = 0, fWide = 1.
    std::string header(20, '\0');
    header[0] = 20;
    header[16] = 1;
    return header;
}

// The UTF-16 bytes of the paths, each with its terminator, and of the list's closing zero.
std::string ListBytes(const Paths& paths) {
    std::wstring units;
    for (const std::wstring& path : paths) {
        units += path;
        units += L'\0';
    }
    units += L'\0';
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * sizeof(wchar_t));
}

class ClipboardTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = CreateWindowExA(0, "STATIC", "clipboard owner", WS_OVERLAPPED, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
        privateFormat_ = RegisterClipboardFormatA(kPrivateFormatName);
        ASSERT_NE(privateFormat_, 0u);
    }

    void TearDown() override { DestroyWindow(owner_); }

    // Fills SelectedPaths and PathBytesTotal as the selection pass leaves them.
    void Collect(const Paths& paths) {
        record_.SelectedPaths.Clear();
        record_.PathBytesTotal = 0;
        for (const std::wstring& path : paths) {
            record_.SelectedPaths.Append(path.c_str());
            record_.PathBytesTotal += static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
        }
    }

    void Seed() { ASSERT_TRUE(SeedClipboard(owner_, kSeedText, privateFormat_, kSeedPrivate)); }

    // The clipboard still holds exactly what Seed put there.
    void ExpectSeedKept() {
        std::string text;
        ASSERT_TRUE(ClipboardBlock(CF_TEXT, &text));
        EXPECT_STREQ(text.c_str(), kSeedText.c_str());
        std::string privateBytes;
        ASSERT_TRUE(ClipboardBlock(privateFormat_, &privateBytes));
        EXPECT_EQ(privateBytes, kSeedPrivate);
        std::string drop;
        EXPECT_FALSE(ClipboardBlock(CF_HDROP, &drop));
    }

    // Puts the record's paths on the clipboard, opened with owner_.
    void Put() { result_ = PutFilesOnClipboard(record_, owner_); }

    // Other test programs of this prefix use the clipboard too.
    ProcessLock clipboardLock_{"clipboard"};
    HWND owner_ = nullptr;
    UINT privateFormat_ = 0;
    RunRecord record_;
    ClipboardResult result_ = ClipboardResult::NoMemory;
};

struct TransferCase {
    const char* label;
    Paths Paths;
    DWORD Action;
    DWORD Effect;
};
class ClipboardTransferCases : public ClipboardTransfer,
                               public ::testing::WithParamInterface<TransferCase> {};

TEST_P(ClipboardTransferCases, PutsTheFileListAndTheEffect) {
    const TransferCase& row = GetParam();
    Seed();
    Collect(row.Paths);
    record_.Action = row.Action;

    Put();

    std::string drop;
    ASSERT_TRUE(ClipboardBlock(CF_HDROP, &drop));
    EXPECT_EQ(drop.size(), sizeof(DROPFILES) + record_.PathBytesTotal + sizeof(wchar_t));
    EXPECT_EQ(drop, Header() + ListBytes(row.Paths));
    EXPECT_EQ(ClipboardDropPaths(), row.Paths);
    EXPECT_EQ(result_, ClipboardResult::Put);

    std::string effect;
    ASSERT_TRUE(ClipboardBlock(DropEffectFormat(), &effect));
    ASSERT_EQ(effect.size(), 4u);
    DWORD value = 0;
    std::memcpy(&value, effect.data(), sizeof value);
    EXPECT_EQ(value, row.Effect);

    // Whatever was there before is gone, in every format.
    std::string old;
    EXPECT_FALSE(ClipboardBlock(CF_TEXT, &old));
    EXPECT_FALSE(ClipboardBlock(privateFormat_, &old));
    EXPECT_EQ(ClipboardFormats(), (std::vector<UINT>{CF_HDROP, DropEffectFormat()}));
}

// Lengths 10, 12 and 15: PathBytesTotal 80, a block of 102 bytes.
const Paths kThreePaths = {L"C:\\a\\b.txt", L"C:\\ab\\cd.txt", L"C:\\abc\\def.text"};
// Names that an ANSI list could not carry: 表 and ソ (in code page 932 their second byte is
// a backslash), é, ¥ (best fit makes it a backslash), Hangul and an emoji (a surrogate
// pair).
const Paths kNamesOfEveryKind = {
    L"C:\\表\\ソ.txt",  L"C:\\work\\テスト\\表",
    L"C:\\w\\café.txt", L"C:\\w\\x¥..¥..¥Documents¥taxes.pdf",
    L"C:\\w\\한글.txt", L"C:\\w\\\U0001F600.txt",
};

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipboardTransferCases,
    ::testing::Values(
        TransferCase{"ThreePathsCopy", kThreePaths, ClipboardCopy, DROPEFFECT_COPY},
        TransferCase{"ThreePathsCut", kThreePaths, ClipboardCut, DROPEFFECT_MOVE},
        TransferCase{"EveryKindCopy", kNamesOfEveryKind, ClipboardCopy, DROPEFFECT_COPY},
        TransferCase{"EveryKindCut", kNamesOfEveryKind, ClipboardCut, DROPEFFECT_MOVE}),
    RowLabel());

// A line that matched nothing keeps what the user had on the clipboard; emptying it lost
// that without giving anything in its place.
TEST_F(ClipboardTransfer, NothingMatchedLeavesTheClipboardAlone) {
    for (DWORD action : {ClipboardCopy, ClipboardCut}) {
        SCOPED_TRACE(action);
        Seed();
        Collect({});
        record_.Action = action;
        Put();
        ExpectSeedKept();
        EXPECT_EQ(result_, ClipboardResult::NothingToPut);
    }
}

TEST_F(ClipboardTransfer, TheOwnerWindowOpensTheClipboard) {
    Collect(kThreePaths);
    record_.Action = ClipboardCopy;
    Put();
    EXPECT_EQ(GetClipboardOwner(), owner_);
    // The action passes the desktop window.
    PutFilesOnClipboard(record_, GetDesktopWindow());
    EXPECT_EQ(ClipboardDropPaths(), kThreePaths);
}

// The block is sized from the strings themselves: a stale or wrong total can neither cut
// the list nor make the copy run past the block.
TEST_F(ClipboardTransfer, ATotalThatDisagreesWithTheListNeverOverruns) {
    for (DWORD total : {0u, 5u, 79u, 81u, 1000u}) {
        SCOPED_TRACE(total);
        Collect(kThreePaths);
        record_.PathBytesTotal = total;
        record_.Action = ClipboardCopy;
        Put();
        std::string drop;
        ASSERT_TRUE(ClipboardBlock(CF_HDROP, &drop));
        EXPECT_EQ(drop, Header() + ListBytes(kThreePaths));
    }
}

// --- Failures: injected at the test program's import table --------------------------------

enum class Fault {
    DropAllocFails,
    DropLockFails,
    EffectAllocFails,
    EffectLockFails,
    ClipboardBusy,
    FileListRefused,
    EffectRefused,
};

struct FaultState {
    int AllocCalls = 0;
    int LockCalls = 0;
    int FailAllocCall = 0;
    int FailLockCall = 0;
    UINT RefusedFormat = 0;
    std::vector<HGLOBAL> Allocated;
    std::vector<HGLOBAL> Freed;
    decltype(&GlobalAlloc) RealAlloc = nullptr;
    decltype(&GlobalLock) RealLock = nullptr;
    decltype(&GlobalFree) RealFree = nullptr;
    decltype(&SetClipboardData) RealSetData = nullptr;
};
FaultState faults;

HGLOBAL WINAPI FaultyGlobalAlloc(UINT flags, SIZE_T bytes) {
    if (++faults.AllocCalls == faults.FailAllocCall) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HGLOBAL block = faults.RealAlloc(flags, bytes);
    faults.Allocated.push_back(block);
    return block;
}

LPVOID WINAPI FaultyGlobalLock(HGLOBAL block) {
    if (++faults.LockCalls == faults.FailLockCall)
        return nullptr;
    return faults.RealLock(block);
}

HGLOBAL WINAPI RecordingGlobalFree(HGLOBAL block) {
    faults.Freed.push_back(block);
    return faults.RealFree(block);
}

HANDLE WINAPI RefusingSetClipboardData(UINT format, HANDLE block) {
    if (format == faults.RefusedFormat)
        return nullptr;
    return faults.RealSetData(format, block);
}

struct FaultCase {
    const char* label;
    Fault Kind;
};
class ClipboardTransferFaults : public ClipboardTransfer,
                                public ::testing::WithParamInterface<FaultCase> {
protected:
    // Runs PutFilesOnClipboard with the fault in place; the patches live only for the call,
    // since the test's own helpers use the same functions.
    void RunWithFault(Fault kind) {
        faults = FaultState{};
        faults.FailAllocCall = kind == Fault::DropAllocFails     ? 1
                               : kind == Fault::EffectAllocFails ? 2
                                                                 : 0;
        faults.FailLockCall = kind == Fault::DropLockFails     ? 1
                              : kind == Fault::EffectLockFails ? 2
                                                               : 0;
        faults.RefusedFormat = kind == Fault::FileListRefused ? CF_HDROP
                               : kind == Fault::EffectRefused ? DropEffectFormat()
                                                              : 0;
        std::unique_ptr<ClipboardHolder> holder;
        if (kind == Fault::ClipboardBusy) {
            holder = std::make_unique<ClipboardHolder>();
            ASSERT_TRUE(holder->Holding());
        }
        {
            ImportPatch alloc("kernel32.dll", "GlobalAlloc",
                              reinterpret_cast<void*>(&FaultyGlobalAlloc));
            ImportPatch lock("kernel32.dll", "GlobalLock",
                             reinterpret_cast<void*>(&FaultyGlobalLock));
            ImportPatch freeing("kernel32.dll", "GlobalFree",
                                reinterpret_cast<void*>(&RecordingGlobalFree));
            ImportPatch setData("user32.dll", "SetClipboardData",
                                reinterpret_cast<void*>(&RefusingSetClipboardData));
            ASSERT_TRUE(alloc.Active() && lock.Active() && freeing.Active() && setData.Active());
            faults.RealAlloc = alloc.OriginalAs<decltype(&GlobalAlloc)>();
            faults.RealLock = lock.OriginalAs<decltype(&GlobalLock)>();
            faults.RealFree = freeing.OriginalAs<decltype(&GlobalFree)>();
            faults.RealSetData = setData.OriginalAs<decltype(&SetClipboardData)>();
            Put();
        }
    }

    bool WasFreed(HGLOBAL block) const {
        for (HGLOBAL freed : faults.Freed) {
            if (freed == block)
                return true;
        }
        return false;
    }
};

TEST_P(ClipboardTransferFaults, NothingLeaksAndNothingIsHalfDone) {
    const Fault kind = GetParam().Kind;
    Seed();
    Collect(kThreePaths);
    record_.Action = ClipboardCut;
    RunWithFault(kind);

    switch (kind) {
    case Fault::DropAllocFails:
    case Fault::DropLockFails:
    case Fault::EffectAllocFails:
    case Fault::EffectLockFails:
    case Fault::ClipboardBusy:
        // Nothing reached the clipboard: it keeps what it had, and every block made for
        // it is freed again.
        ExpectSeedKept();
        for (HGLOBAL block : faults.Allocated)
            EXPECT_TRUE(WasFreed(block));
        if (kind == Fault::ClipboardBusy) {
            EXPECT_EQ(faults.Allocated.size(), 2u);
            // Held past the tries: the caller learns it, to tell the user.
            EXPECT_EQ(result_, ClipboardResult::Busy);
        } else {
            EXPECT_EQ(result_, ClipboardResult::NoMemory);
        }
        break;
    case Fault::FileListRefused: {
        // The clipboard was emptied; a refused file list and the effect that belongs to
        // it are both freed.
        ASSERT_EQ(faults.Allocated.size(), 2u);
        EXPECT_TRUE(WasFreed(faults.Allocated[0]));
        EXPECT_TRUE(WasFreed(faults.Allocated[1]));
        EXPECT_TRUE(ClipboardFormats().empty());
        break;
    }
    case Fault::EffectRefused: {
        ASSERT_EQ(faults.Allocated.size(), 2u);
        EXPECT_FALSE(WasFreed(faults.Allocated[0])) << "the clipboard owns the file list";
        EXPECT_TRUE(WasFreed(faults.Allocated[1]));
        EXPECT_EQ(ClipboardDropPaths(), kThreePaths);
        std::string effect;
        EXPECT_FALSE(ClipboardBlock(DropEffectFormat(), &effect));
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, ClipboardTransferFaults,
                         ::testing::Values(FaultCase{"DropAllocFails", Fault::DropAllocFails},
                                           FaultCase{"DropLockFails", Fault::DropLockFails},
                                           FaultCase{"EffectAllocFails", Fault::EffectAllocFails},
                                           FaultCase{"EffectLockFails", Fault::EffectLockFails},
                                           FaultCase{"ClipboardBusy", Fault::ClipboardBusy},
                                           FaultCase{"FileListRefused", Fault::FileListRefused},
                                           FaultCase{"EffectRefused", Fault::EffectRefused}),
                         RowLabel());

// Another program that lets go of the clipboard within the tries does not stop the action.
TEST_F(ClipboardTransfer, AClipboardHeldForAMomentIsWaitedFor) {
    Seed();
    Collect(kThreePaths);
    record_.Action = ClipboardCut;
    {
        ClipboardHolder holder(300);
        ASSERT_TRUE(holder.Holding());
        Put();
    }
    EXPECT_EQ(ClipboardDropPaths(), kThreePaths);
    EXPECT_EQ(result_, ClipboardResult::Put);
}

} // namespace
