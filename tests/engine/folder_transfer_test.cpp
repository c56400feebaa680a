// TransferToFolder with real files in scratch folders and the shell's file operation, its
// questions answered from the test's own thread; what it reports against what happened to
// the files.
#include "engine/folder_transfer.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/owned.h"
#include "tests/support/folder_browser.h"
#include "tests/support/import_patch.h"
#include "tests/support/modal_driver.h"
#include "tests/support/process_lock.h"
#include "tests/support/row_label.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/string_list_entries.h"
#include "tests/support/wide_text.h"
#include "tests/support/wine_drive.h"

namespace {

using Names = std::vector<std::wstring>;

// 表: its second byte in code page 932 is a backslash.
const std::string kHyou = "表";

// A free drive letter from Y: down; other test programs take theirs from R: up.
char FreeLetterFromTheTop() {
    const DWORD used = GetLogicalDrives();
    for (char letter = 'Y'; letter >= 'R'; --letter) {
        if ((used & (1u << (letter - 'A'))) == 0)
            return letter;
    }
    return 0;
}

// --- Watching the file operations: passed on to the real functions ---------------------

// One call of the shell's file operation, as it was asked.
struct ShellOperation {
    HWND Owner = nullptr;
    UINT Function = 0;
    FILEOP_FLAGS Flags = 0;
    Names Sources;
    Names Targets;
};

struct FileCalls {
    std::vector<ShellOperation> Operations;
    std::vector<std::wstring> Deletions;
    decltype(&SHFileOperationW) RealOperation = nullptr;
    decltype(&DeleteFileW) RealDelete = nullptr;

    // Every target the operations were given, in order.
    Names Targets() const {
        Names targets;
        for (const ShellOperation& operation : Operations)
            targets.insert(targets.end(), operation.Targets.begin(), operation.Targets.end());
        return targets;
    }
};
FileCalls fileCalls;

Names SplitDoubleNullList(const wchar_t* list) {
    Names paths;
    for (const wchar_t* at = list; at != nullptr && *at != L'\0'; at += paths.back().size() + 1)
        paths.emplace_back(at);
    return paths;
}

int WINAPI WatchedFileOperation(LPSHFILEOPSTRUCTW operation) {
    fileCalls.Operations.push_back({operation->hwnd, operation->wFunc, operation->fFlags,
                                    SplitDoubleNullList(operation->pFrom),
                                    SplitDoubleNullList(operation->pTo)});
    return fileCalls.RealOperation(operation);
}

BOOL WINAPI WatchedDeleteFile(LPCWSTR path) {
    fileCalls.Deletions.emplace_back(path);
    return fileCalls.RealDelete(path);
}

// Answers the shell's questions before it replaces a file with the given buttons, in turn;
// the last one answers every further question.
class QuestionDriver {
public:
    explicit QuestionDriver(std::vector<int> replies)
        : replies_(std::move(replies)), driver_([this](HWND window) { Handle(window); }) {}

    // Owners of the questions.
    const std::vector<HWND>& Questions() const { return questions_; }

private:
    void Handle(HWND window) {
        const std::size_t turn = std::min(questions_.size(), replies_.size() - 1);
        questions_.push_back(GetWindow(window, GW_OWNER));
        ClickButton(window, replies_[turn]);
    }

    std::vector<int> replies_;
    std::vector<HWND> questions_;
    ModalDriver driver_;
};

// Deletes for good the Recycle Bin's items deleted from folder, and says how many there were:
// read through the shell's folder of the bin (Wine keeps them in the Unix user's XDG trash),
// erased by Wine's command 302 of the item's menu, its question answered Yes.
int EraseRecycledFrom(const std::wstring& folder) {
    ComPtr<IShellFolder> desktop;
    ComPtr<IShellFolder2> bin;
    ComPtr<IEnumIDList> items;
    PIDLIST_ABSOLUTE binItem = nullptr;
    EXPECT_TRUE(
        SUCCEEDED(SHGetDesktopFolder(desktop.Put())) &&
        SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binItem)) &&
        SUCCEEDED(desktop->BindToObject(binItem, nullptr, IID_IShellFolder2, bin.PutVoid())) &&
        bin->EnumObjects(nullptr, SHCONTF_NONFOLDERS, items.Put()) == S_OK);
    CoTaskMemFree(binItem);
    int erased = 0;
    PITEMID_CHILD item = nullptr;
    while (items && items->Next(1, &item, nullptr) == S_OK) {
        // The bin's column 1: the folder the item was deleted from.
        SHELLDETAILS origin = {};
        wchar_t originText[MAX_PATH] = {};
        PCUITEMID_CHILD selection = item;
        ComPtr<IContextMenu> menu;
        if (SUCCEEDED(bin->GetDetailsOf(item, 1, &origin)) &&
            SUCCEEDED(StrRetToBufW(&origin.str, item, originText, MAX_PATH)) &&
            folder == originText &&
            SUCCEEDED(bin->GetUIObjectOf(nullptr, 1, &selection, IID_IContextMenu, nullptr,
                                         menu.PutVoid()))) {
            QuestionDriver yes({IDYES});
            CMINVOKECOMMANDINFO command = {};
            command.cbSize = sizeof command;
            command.lpVerb = MAKEINTRESOURCEA(302);
            erased += SUCCEEDED(menu->InvokeCommand(&command)) ? 1 : 0;
        }
        CoTaskMemFree(item);
    }
    return erased;
}

class FolderTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
        ASSERT_FALSE(source_.Path().empty());
        ASSERT_FALSE(target_.Path().empty());
        ASSERT_LT(source_.Path().size(), 200u);
        SetSourceFolder(source_.Path());
        fileCalls = FileCalls{};
    }

    void TearDown() override {
        EraseRecycledFrom(source_.WidePath());
        DestroyWindow(owner_);
        CoUninitialize();
    }

    void SetSourceFolder(const std::string& folder) {
        lstrcpynW(record_.SourceFolder, Wide(folder).c_str(), MAX_PATH);
    }

    // Puts files into the source folder and collects their paths, as the selection pass
    // would for matching labels.
    void CollectFiles(const Names& names) {
        for (const std::wstring& name : names)
            source_.WriteFile(name, Content(name));
        CollectPaths(names);
    }
    void CollectPaths(const Names& names) {
        for (const std::wstring& name : names)
            record_.SelectedPaths.Append((source_ / name).c_str());
    }

    // Runs the action into folder with the questions answered as given, watching the file
    // operations.
    void Run(DWORD action, const std::string& folder, std::vector<int> replies = {IDNO}) {
        record_.Action = action;
        SettleAccessTimes(source_.Path());
        SettleAccessTimes(target_.Path());
        QuestionDriver driver(std::move(replies));
        {
            ImportPatch operation("shell32.dll", "SHFileOperationW",
                                  reinterpret_cast<void*>(&WatchedFileOperation));
            ImportPatch remove("kernel32.dll", "DeleteFileW",
                               reinterpret_cast<void*>(&WatchedDeleteFile));
            ASSERT_TRUE(operation.Active() && remove.Active());
            fileCalls.RealOperation = operation.OriginalAs<decltype(&SHFileOperationW)>();
            fileCalls.RealDelete = remove.OriginalAs<decltype(&DeleteFileW)>();
            outcome_ = TransferOutcome();
            TransferToFolder(record_, Wide(folder).c_str(), owner_, outcome_);
        }
        questions_ = driver.Questions();
    }

    // What the transfer reported: every file went, or it stopped after count files.
    void ExpectResult(int count) {
        EXPECT_EQ(outcome_.Count, count);
        EXPECT_TRUE(outcome_.Completed);
    }
    void ExpectStopped(int count) {
        EXPECT_EQ(outcome_.Count, count);
        EXPECT_FALSE(outcome_.Completed);
    }

    // Each file's own bytes: its name in UTF-16.
    static std::string Content(const std::wstring& name) {
        return "source " + std::string(reinterpret_cast<const char*>(name.data()),
                                       name.size() * sizeof(wchar_t));
    }

    HWND owner_ = nullptr;
    BrowserTestFolders folders_;
    ScratchFolder& source_ = folders_.Source;
    ScratchFolder& target_ = folders_.Target;
    RunRecord record_;
    TransferOutcome outcome_;
    std::vector<HWND> questions_;
};

// --- Copy and move, told apart by the operation and the deletion ---------------------------

struct ActionCase {
    const char* label;
    DWORD Action;
    UINT Operation;
    bool DeletesSources;
};
class FolderTransferActions : public FolderTransfer,
                              public ::testing::WithParamInterface<ActionCase> {};

TEST_P(FolderTransferActions, CopiesIntoTheChosenFolderAndReports) {
    const ActionCase& row = GetParam();
    CollectFiles({L"a.txt", L"b.doc"});
    Run(row.Action, target_.Path());

    // One operation of the shell, a target for each file, undoable, over the same owner.
    ASSERT_EQ(fileCalls.Operations.size(), 1u);
    const ShellOperation& operation = fileCalls.Operations[0];
    EXPECT_EQ(operation.Owner, owner_);
    EXPECT_EQ(operation.Function, row.Operation);
    EXPECT_EQ(operation.Flags, FOF_MULTIDESTFILES | FOF_ALLOWUNDO);
    EXPECT_EQ(operation.Sources, (Names{source_ / L"a.txt", source_ / L"b.doc"}));
    EXPECT_EQ(operation.Targets, (Names{target_ / L"a.txt", target_ / L"b.doc"}));
    EXPECT_TRUE(questions_.empty());
    for (const wchar_t* name : {L"a.txt", L"b.doc"}) {
        EXPECT_EQ(ReadWholeFile(target_ / name), Content(name));
        EXPECT_EQ(FileExists(source_ / name), !row.DeletesSources) << Utf8(name);
    }
    ExpectResult(2);
}

TEST_P(FolderTransferActions, TheSourceFolderAsTargetCopiesAndDeletesNothing) {
    const ActionCase& row = GetParam();
    CollectFiles({L"a.txt", L"b.doc"});
    Run(row.Action, source_.Path());

    for (const wchar_t* name : {L"a.txt", L"b.doc"})
        EXPECT_EQ(ReadWholeFile(source_ / name), Content(name)) << Utf8(name);
    EXPECT_TRUE(fileCalls.Operations.empty());
    EXPECT_TRUE(fileCalls.Deletions.empty());
    ExpectResult(0);
    EXPECT_EQ(Entries(outcome_.LeftFiles), (Names{L"a.txt", L"b.doc"}));
}

TEST_P(FolderTransferActions, AnEmptyListReportsZero) {
    const ActionCase& row = GetParam();
    Run(row.Action, target_.Path());
    EXPECT_TRUE(fileCalls.Operations.empty());
    ExpectResult(0);
}

const ActionCase kCopy{"CopyToFolder", CopyToFolder, FO_COPY, false};
const ActionCase kMove{"MoveToFolder", MoveToFolder, FO_MOVE, true};

INSTANTIATE_TEST_SUITE_P(Actions, FolderTransferActions, ::testing::Values(kCopy, kMove),
                         RowLabel());

// --- Edge cases of the chosen folder and of the collected paths ------------------------

// A drive's root comes as "Y:", as every folder comes without its trailing backslash.
TEST_F(FolderTransfer, ADriveRootTakesOneBackslash) {
    MappedDrive drive(FreeLetterFromTheTop(), DRIVE_FIXED, target_.Path());
    ASSERT_TRUE(drive.Mapped()) << "no drive letter could be mapped in this prefix";
    CollectFiles({L"a.txt", L"b.doc"});
    Run(MoveToFolder, drive.Root());

    EXPECT_EQ(fileCalls.Targets(),
              (Names{Wide(drive.Root() + "\\a.txt"), Wide(drive.Root() + "\\b.doc")}));
    EXPECT_TRUE(FileExists(target_ / L"b.doc"));
    EXPECT_FALSE(FileExists(source_ / L"b.doc"));
    ExpectResult(2);
}

TEST_F(FolderTransfer, AFolderEndingInADoubleByteBackslashKeepsIt) {
    const std::string folder = target_ / ("data" + kHyou);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    CollectFiles({L"a.txt"});
    Run(CopyToFolder, folder);

    EXPECT_EQ(fileCalls.Targets(), Names{Wide(folder + "\\a.txt")});
    EXPECT_EQ(ReadWholeFile(folder + "\\a.txt"), Content(L"a.txt"));
    ExpectResult(1);
}

// Names that the ANSI calls could not carry: ソ and 表 (their second byte in code page 932 is
// a backslash, also as a name's last byte), é (best fit made it "e", the name of another file),
// Hangul and an emoji (a surrogate pair; best fit made both "?"), and ¥ (best fit made it a
// backslash). Each file goes whole, to a target of its own name; "cafe.txt" beside "café.txt"
// stays.
TEST_P(FolderTransferActions, NamesOfEveryKindGoWholeToTargetsOfTheirOwnName) {
    const ActionCase& row = GetParam();
    const Names names = {L"ソ表.txt", L"予定表",         L"café.txt",
                         L"한글.txt", L"\U0001F600.txt", L"1¥.txt"};
    source_.WriteFile(L"cafe.txt", Content(L"cafe.txt"));
    CollectFiles(names);
    Run(row.Action, target_.Path());

    const Names targets = fileCalls.Targets();
    ASSERT_EQ(targets.size(), names.size());
    for (size_t index = 0; index < names.size(); ++index) {
        const std::wstring& name = names[index];
        EXPECT_EQ(targets[index], target_ / name);
        EXPECT_EQ(ReadWholeFile(target_ / name), Content(name)) << Utf8(name);
        EXPECT_EQ(FileExists(source_ / name), !row.DeletesSources) << Utf8(name);
    }
    EXPECT_EQ(ReadWholeFile(source_ / L"cafe.txt"), Content(L"cafe.txt"));
    EXPECT_FALSE(FileExists(target_ / L"cafe.txt"));
    ExpectResult(static_cast<int>(names.size()));
}

// A downloaded "x¥..¥..¥Documents¥taxes.pdf" in folder "in": read with best fit, the path
// led two folders up to Documents\taxes.pdf, which the move took away, and its target
// overwrote the target folder's own taxes.pdf. Now only the downloaded file goes.
TEST_P(FolderTransferActions, AYenSignNeverLeadsOutOfTheFolder) {
    const ActionCase& row = GetParam();
    const std::wstring downloaded = L"x¥..¥..¥Documents¥taxes.pdf";
    ASSERT_TRUE(source_.AddFolder("in"));
    ASSERT_TRUE(source_.AddFolder("Documents"));
    ASSERT_TRUE(source_.WriteFile(L"in\\" + downloaded, Content(downloaded)));
    ASSERT_TRUE(source_.WriteFile(L"Documents\\taxes.pdf", Content(L"outside")));
    ASSERT_TRUE(target_.WriteFile(L"taxes.pdf", Content(L"the target's own")));
    CollectPaths({L"in\\" + downloaded});
    Run(row.Action, target_.Path());

    EXPECT_EQ(ReadWholeFile(target_ / downloaded), Content(downloaded));
    EXPECT_EQ(FileExists(source_ / (L"in\\" + downloaded)), !row.DeletesSources);
    EXPECT_EQ(ReadWholeFile(source_ / L"Documents\\taxes.pdf"), Content(L"outside"));
    EXPECT_EQ(ReadWholeFile(target_ / L"taxes.pdf"), Content(L"the target's own"));
    ExpectResult(1);
}

// A file of the same name in the target is replaced only when the user says so in the
// shell's question; the count and the message follow what really happened. Wine's shell stops
// at the first "No". The shell's move does not ask everywhere, so a move of a taken name asks
// through a copy and recycles the source once the copy has arrived: Undo of that copy deletes
// it, and the file must then be in the Recycle Bin, never deleted outright.
struct ReplaceCase {
    const char* label;
    ActionCase Action;
    int Answer;
    bool Replaced;
};
class FolderTransferReplace : public FolderTransfer,
                              public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(FolderTransferReplace, AFileOfTheSameNameIsReplacedOnlyWithConsent) {
    const ReplaceCase& row = GetParam();
    ASSERT_TRUE(target_.WriteFile(L"c.txt", Content(L"the target's own")));
    CollectFiles({L"a.txt", L"b.doc", L"c.txt"});
    Run(row.Action.Action, target_.Path(), {row.Answer});

    EXPECT_EQ(questions_, std::vector<HWND>{owner_});
    for (const wchar_t* name : {L"a.txt", L"b.doc"}) {
        EXPECT_EQ(ReadWholeFile(target_ / name), Content(name)) << Utf8(name);
        EXPECT_EQ(FileExists(source_ / name), !row.Action.DeletesSources) << Utf8(name);
    }
    EXPECT_EQ(ReadWholeFile(target_ / L"c.txt"),
              Content(row.Replaced ? L"c.txt" : L"the target's own"));
    EXPECT_EQ(FileExists(source_ / L"c.txt"), !(row.Replaced && row.Action.DeletesSources));
    EXPECT_TRUE(fileCalls.Deletions.empty());
    EXPECT_EQ(EraseRecycledFrom(source_.WidePath()),
              row.Replaced && row.Action.DeletesSources ? 1 : 0);
    EXPECT_EQ(Entries(outcome_.LeftFiles), row.Replaced ? Names{} : Names{L"c.txt"});
    if (row.Replaced) {
        ExpectResult(3);
    } else {
        ExpectStopped(2);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, FolderTransferReplace,
                         ::testing::Values(ReplaceCase{"CopyNo", kCopy, IDNO, false},
                                           ReplaceCase{"CopyYes", kCopy, IDYES, true},
                                           ReplaceCase{"CopyCancelled", kCopy, IDCANCEL, false},
                                           ReplaceCase{"MoveNo", kMove, IDNO, false},
                                           ReplaceCase{"MoveYes", kMove, IDYES, true},
                                           ReplaceCase{"MoveCancelled", kMove, IDCANCEL, false}),
                         RowLabel());

// Two matches bound for one target name (the desktop's view shows the user's desktop and the
// public one together; a case-sensitive folder holds "a.txt" beside "A.TXT"), where the target
// holds that name already: the user answers Yes for the first and No for the second. Each goes
// in an operation of its own, so the second is judged against the first's arrival, not
// against the target as it stood before both: the declined file stays where it was.
TEST_P(FolderTransferActions, FilesBoundForOneNameAreAskedAndJudgedOneAfterTheOther) {
    const ActionCase& row = GetParam();
    ScratchFolder other{"vestrane-test-public", BrowserTestFolder()};
    ASSERT_TRUE(target_.WriteFile(L"a.txt", Content(L"the target's own")));
    CollectFiles({L"a.txt"});
    ASSERT_TRUE(other.WriteFile(L"A.TXT", Content(L"A.TXT")));
    record_.SelectedPaths.Append((other / L"A.TXT").c_str());
    Run(row.Action, target_.Path(), {IDYES, IDNO});

    EXPECT_EQ(questions_.size(), 2u);
    EXPECT_EQ(ReadWholeFile(target_ / L"a.txt"), Content(L"a.txt"));
    EXPECT_EQ(FileExists(source_ / L"a.txt"), !row.DeletesSources);
    EXPECT_EQ(ReadWholeFile(other / L"A.TXT"), Content(L"A.TXT"));
    ExpectStopped(1);
}

// Into an empty folder: the second file's name is taken by the first once it has arrived, so
// the shell asks before the second replaces it (Wine's move replaced it silently).
TEST_P(FolderTransferActions, TheSecondOfTwoNamesIsAskedForOnceTheFirstHasArrived) {
    const ActionCase& row = GetParam();
    ScratchFolder other{"vestrane-test-public", BrowserTestFolder()};
    CollectFiles({L"a.txt"});
    ASSERT_TRUE(other.WriteFile(L"A.txt", Content(L"A.txt")));
    record_.SelectedPaths.Append((other / L"A.txt").c_str());
    Run(row.Action, target_.Path());

    EXPECT_EQ(questions_.size(), 1u);
    EXPECT_EQ(ReadWholeFile(target_ / L"a.txt"), Content(L"a.txt"));
    EXPECT_EQ(ReadWholeFile(other / L"A.txt"), Content(L"A.txt"));
    ExpectStopped(1);
}

// A volume that fills up while a file is replaced leaves the target cut short, with a new
// time stamp: the copy is not complete, so it is not counted and its source is not deleted.
// The test cuts the copy short after the shell's operation, as a full volume would.
int WINAPI OperationOntoAFullVolume(LPSHFILEOPSTRUCTW operation) {
    const int result = WatchedFileOperation(operation);
    if (operation->wFunc == FO_COPY) {
        for (const std::wstring& target : fileCalls.Operations.back().Targets) {
            HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            SetFilePointer(file, 4, nullptr, FILE_BEGIN);
            SetEndOfFile(file);
            CloseHandle(file);
        }
    }
    return result;
}

TEST_P(FolderTransferActions, ACopyCutShortIsNeitherCountedNorTheSourceDeleted) {
    const ActionCase& row = GetParam();
    ASSERT_TRUE(target_.WriteFile(L"a.txt", Content(L"the target's own")));
    CollectFiles({L"a.txt"});
    record_.Action = row.Action;
    QuestionDriver driver({IDYES});
    {
        ImportPatch operation("shell32.dll", "SHFileOperationW",
                              reinterpret_cast<void*>(&OperationOntoAFullVolume));
        ASSERT_TRUE(operation.Active());
        fileCalls.RealOperation = operation.OriginalAs<decltype(&SHFileOperationW)>();
        TransferToFolder(record_, Wide(target_.Path()).c_str(), owner_, outcome_);
    }
    EXPECT_EQ(ReadWholeFile(source_ / L"a.txt"), Content(L"a.txt"));
    ExpectStopped(0);
}

// Folders among the matches are not carried, nor a file whose name a folder holds in the
// target (the shell would put the file into it); the outcome names both.
TEST_P(FolderTransferActions, FoldersAreLeftWhereTheyAreAndNamed) {
    const ActionCase& row = GetParam();
    const std::wstring folder = L"資料表";
    ASSERT_TRUE(CreateDirectoryW((source_ / folder).c_str(), nullptr));
    ASSERT_TRUE(target_.AddFolder("b.doc"));
    CollectFiles({L"a.txt", L"b.doc"});
    CollectPaths({folder});
    Run(row.Action, target_.Path());

    EXPECT_EQ(GetFileAttributesW((source_ / folder).c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(FileExists(target_ / folder));
    EXPECT_EQ(ReadWholeFile(source_ / L"b.doc"), Content(L"b.doc"));
    ExpectResult(1);
    EXPECT_EQ(Entries(outcome_.LeftFolders), Names{folder});
    EXPECT_EQ(Entries(outcome_.LeftFiles), Names{L"b.doc"});
}

// A source that another program holds open stays where it is and is not counted; Wine's
// shell reports the move as done.
TEST_F(FolderTransfer, ASourceHeldOpenIsNeitherMovedNorCounted) {
    CollectFiles({L"a.txt", L"b.doc", L"c.txt"});
    HANDLE held = CreateFileW((source_ / L"b.doc").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Run(MoveToFolder, target_.Path());
    CloseHandle(held);

    EXPECT_EQ(ReadWholeFile(source_ / L"b.doc"), Content(L"b.doc"));
    EXPECT_FALSE(FileExists(target_ / L"b.doc"));
    for (const wchar_t* name : {L"a.txt", L"c.txt"}) {
        EXPECT_EQ(ReadWholeFile(target_ / name), Content(name)) << Utf8(name);
        EXPECT_FALSE(FileExists(source_ / name)) << Utf8(name);
    }
    ExpectStopped(2);
}

// A target of more than 259 characters is skipped: not copied, not counted, never cut short.
TEST_F(FolderTransfer, ATargetPathThatWouldNotFitIsSkipped) {
    // A deep target folder of about 230 bytes leaves room for short names only.
    std::string folder = target_.Path();
    while (folder.size() < 225) {
        folder += "\\" + std::string(std::min<size_t>(40, 234 - folder.size()), 'd');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }
    // Target lengths without the terminator: 260 does not fit, 259 just does.
    const std::wstring tooLong(260 - folder.size() - 1, L'n');
    const std::wstring fitting(259 - folder.size() - 1, L'f');
    CollectFiles({L"a.txt", tooLong, fitting});
    Run(CopyToFolder, folder);

    const Names targets = fileCalls.Targets();
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0], Wide(folder) + L"\\a.txt");
    EXPECT_EQ(targets[1], Wide(folder) + L"\\" + fitting);
    EXPECT_EQ(targets[1].size(), 259u);
    EXPECT_EQ(ReadWholeFile(Wide(folder) + L"\\" + fitting), Content(fitting));
    // Nothing was written under a name cut short.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\n*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    ExpectResult(2);
    EXPECT_EQ(Entries(outcome_.LeftFiles), Names{tooLong});
}

} // namespace
