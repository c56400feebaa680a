// CopyOrMoveToFolder with real files in scratch folders, Wine's real folder browser driven
// from the test's own thread, and the closing message box captured as the user sees it.
#include "engine/folder_transfer.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/folder_browser.h"
#include "tests/support/import_patch.h"
#include "tests/support/modal_driver.h"
#include "tests/support/process_lock.h"
#include "tests/support/row_label.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wine_drive.h"

namespace {

// 表: its second byte is a backslash.
const std::string kHyou = "\x95\x5C";

std::string ResultText(int count, const char* verb) {
    char text[MAX_PATH];
    wsprintfA(text, kResultFormat, count, verb);
    return text;
}

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

struct FileCalls {
    std::vector<std::pair<std::string, std::string>> Copies;
    std::vector<std::string> Deletions;
    decltype(&CopyFileA) RealCopy = nullptr;
    decltype(&DeleteFileA) RealDelete = nullptr;
};
FileCalls fileCalls;

BOOL WINAPI WatchedCopyFile(LPCSTR source, LPCSTR target, BOOL failIfExists) {
    fileCalls.Copies.emplace_back(source, target);
    return fileCalls.RealCopy(source, target, failIfExists);
}

BOOL WINAPI WatchedDeleteFile(LPCSTR path) {
    fileCalls.Deletions.emplace_back(path);
    return fileCalls.RealDelete(path);
}

BOOL WINAPI PathlessItem(PCIDLIST_ABSOLUTE, LPSTR) {
    return FALSE;
}

// What SHGetPathFromIDListA answered for the chosen items.
std::vector<BOOL> pathAnswers;
decltype(&SHGetPathFromIDListA) realPathFromItem = nullptr;

BOOL WINAPI WatchedPathFromItem(PCIDLIST_ABSOLUTE item, LPSTR path) {
    const BOOL answer = realPathFromItem(item, path);
    pathAnswers.push_back(answer);
    return answer;
}

// --- The folder browser as the test sees it --------------------------------------------

// How the test answers the browser.
struct Answer {
    enum Kind { AcceptAsOpened, Choose, ChooseItem, Cancel } What = AcceptAsOpened;
    std::string Folder;               // for Choose
    PCIDLIST_ABSOLUTE Item = nullptr; // for ChooseItem
};

struct BrowserSeen {
    HWND Owner = nullptr;
    std::vector<std::string> Texts;
    std::vector<std::string> Selected;
};

// Drives one CopyOrMoveToFolder: answers the browser, records it and every message box.
class TransferDriver {
public:
    explicit TransferDriver(Answer answer)
        : answer_(std::move(answer)), driver_([this](HWND window) { Handle(window); }) {}

    const std::vector<BrowserSeen>& Browsers() const { return browsers_; }
    const std::vector<CapturedMessageBox>& Boxes() const { return boxes_; }

private:
    void Handle(HWND window) {
        if (!IsFolderBrowser(window)) {
            boxes_.push_back(
                {GetWindow(window, GW_OWNER), WindowTextA(window), MessageBoxTextA(window)});
            ClickButton(window, IDOK);
            return;
        }
        browsers_.push_back(
            {GetWindow(window, GW_OWNER), DescendantTexts(window), BrowserSelection(window)});
        switch (answer_.What) {
        case Answer::AcceptAsOpened:
            ClickButton(window, IDOK);
            break;
        case Answer::Choose:
            ChooseInBrowser(window, answer_.Folder);
            break;
        case Answer::ChooseItem:
            SendMessageA(window, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(answer_.Item));
            // The browser disables OK for an item outside the file system; the command
            // still reaches it.
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            break;
        case Answer::Cancel:
            ClickButton(window, IDCANCEL);
            break;
        }
    }

    Answer answer_;
    std::vector<BrowserSeen> browsers_;
    std::vector<CapturedMessageBox> boxes_;
    ModalDriver driver_;
};

bool Contains(const std::vector<std::string>& texts, const std::string& wanted) {
    for (const std::string& text : texts) {
        if (text == wanted)
            return true;
    }
    return false;
}

std::string LastComponent(const std::string& path) {
    return path.substr(path.rfind('\\') + 1);
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
        lstrcpyA(record_.SourceFolder, source_.Path().c_str());
        fileCalls = FileCalls{};
    }

    void TearDown() override {
        delete record_.SelectedPaths;
        DestroyWindow(owner_);
        CoUninitialize();
    }

    // Puts files into the source folder and collects their paths, as the selection pass
    // would for matching labels.
    void CollectFiles(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            source_.WriteFile(name, "source " + name);
        CollectPaths(names);
    }
    void CollectPaths(const std::vector<std::string>& names) {
        if (record_.SelectedPaths == nullptr)
            record_.SelectedPaths = new StringList;
        for (const std::string& name : names)
            record_.SelectedPaths->Append((source_ / name).c_str());
    }

    // Runs the action with the browser answered as given, watching the file operations.
    void Run(DWORD action, const Answer& answer) {
        record_.Action = action;
        Settle(answer);
        TransferDriver driver(answer);
        {
            ImportPatch copy("kernel32.dll", "CopyFileA",
                             reinterpret_cast<void*>(&WatchedCopyFile));
            ImportPatch remove("kernel32.dll", "DeleteFileA",
                               reinterpret_cast<void*>(&WatchedDeleteFile));
            ASSERT_TRUE(copy.Active() && remove.Active());
            fileCalls.RealCopy = copy.OriginalAs<decltype(&CopyFileA)>();
            fileCalls.RealDelete = remove.OriginalAs<decltype(&DeleteFileA)>();
            CopyOrMoveToFolder(record_, owner_);
        }
        browsers_ = driver.Browsers();
        boxes_ = driver.Boxes();
    }

    void Settle(const Answer& answer) {
        SettleAccessTimes(record_.SourceFolder);
        SettleAccessTimes(source_.Path());
        SettleAccessTimes(target_.Path());
        if (answer.What == Answer::Choose)
            SettleAccessTimes(answer.Folder);
    }

    // The one closing message: its text, caption and owner.
    void ExpectResult(int count, const char* verb) {
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].Text, ResultText(count, verb));
        EXPECT_EQ(boxes_[0].Caption, kResultCaption);
        EXPECT_EQ(boxes_[0].Owner, owner_);
    }

    static std::string Content(const std::string& name) { return "source " + name; }

    HWND owner_ = nullptr;
    // Declared before the folders: they are made while the lock is held.
    ProcessLock browserLock_{kFolderBrowserLock};
    ScratchFolder source_{"vestrane-test-source", BrowserTestFolder()};
    ScratchFolder target_{"vestrane-test-target", BrowserTestFolder()};
    RunRecord record_;
    std::vector<BrowserSeen> browsers_;
    std::vector<CapturedMessageBox> boxes_;
};

// --- Copy and move, told apart by title, verb and deletion -----------------------------

struct ActionCase {
    const char* label;
    DWORD Action;
    const char* Title;
    const char* Verb;
    bool DeletesSources;
};
class FolderTransferActions : public FolderTransfer,
                              public ::testing::WithParamInterface<ActionCase> {};

TEST_P(FolderTransferActions, CopiesIntoTheChosenFolderAndReports) {
    const ActionCase& row = GetParam();
    CollectFiles({"a.txt", "b.doc"});
    Run(row.Action, {Answer::Choose, target_.Path()});

    ASSERT_EQ(browsers_.size(), 1u);
    EXPECT_EQ(browsers_[0].Owner, owner_);
    EXPECT_TRUE(Contains(browsers_[0].Texts, row.Title));
    for (const char* name : {"a.txt", "b.doc"}) {
        EXPECT_EQ(ReadWholeFile(target_ / name), Content(name));
        EXPECT_EQ(FileExists(source_ / name), !row.DeletesSources) << name;
    }
    ExpectResult(2, row.Verb);
}

TEST_P(FolderTransferActions, TheBrowserOpensOnTheSourceFolder) {
    const ActionCase& row = GetParam();
    // The browser opens on SourceFolder, wherever the collected files are: accepting it
    // as opened sends the copies there.
    CollectFiles({"a.txt"});
    lstrcpyA(record_.SourceFolder, target_.Path().c_str());
    Run(row.Action, {Answer::AcceptAsOpened, ""});

    ASSERT_EQ(browsers_.size(), 1u);
    ASSERT_FALSE(browsers_[0].Selected.empty());
    EXPECT_EQ(browsers_[0].Selected.back(), LastComponent(target_.Path()));
    EXPECT_EQ(ReadWholeFile(target_ / "a.txt"), Content("a.txt"));
    ExpectResult(1, row.Verb);
}

TEST_P(FolderTransferActions, TheSourceFolderAsTargetCopiesAndDeletesNothing) {
    const ActionCase& row = GetParam();
    CollectFiles({"a.txt", "b.doc"});
    Run(row.Action, {Answer::Choose, source_.Path()});

    for (const char* name : {"a.txt", "b.doc"})
        EXPECT_EQ(ReadWholeFile(source_ / name), Content(name)) << name;
    EXPECT_TRUE(fileCalls.Deletions.empty());
    ExpectResult(0, row.Verb);
}

TEST_P(FolderTransferActions, CancelDoesNothing) {
    const ActionCase& row = GetParam();
    CollectFiles({"a.txt"});
    Run(row.Action, {Answer::Cancel, ""});

    EXPECT_EQ(browsers_.size(), 1u);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(fileCalls.Copies.empty());
    EXPECT_TRUE(FileExists(source_ / "a.txt"));
    EXPECT_FALSE(FileExists(target_ / "a.txt"));
}

TEST_P(FolderTransferActions, AnEmptyListStillAsksAndReportsZero) {
    const ActionCase& row = GetParam();
    CollectPaths({});
    Run(row.Action, {Answer::Choose, target_.Path()});
    EXPECT_EQ(browsers_.size(), 1u);
    EXPECT_TRUE(fileCalls.Copies.empty());
    ExpectResult(0, row.Verb);
}

const ActionCase kCopy{"CopyToFolder", CopyToFolder, kCopyTitle, kCopyVerb, false};
const ActionCase kMove{"MoveToFolder", MoveToFolder, kMoveTitle, kMoveVerb, true};

INSTANTIATE_TEST_SUITE_P(Actions, FolderTransferActions, ::testing::Values(kCopy, kMove),
                         RowLabel());

// --- Edge cases of the chosen folder and of the collected paths ------------------------

TEST_F(FolderTransfer, ADriveAloneOpensOnThatDriveAndItsRootTakesOneBackslash) {
    MappedDrive drive(FreeLetterFromTheTop(), DRIVE_FIXED, target_.Path());
    ASSERT_TRUE(drive.Mapped()) << "no drive letter could be mapped in this prefix";
    CollectFiles({"a.txt"});
    lstrcpyA(record_.SourceFolder, drive.Root().c_str());
    Run(CopyToFolder, {Answer::AcceptAsOpened, ""});

    // Wine labels a drive "<volume label> (Y:)".
    ASSERT_EQ(browsers_.size(), 1u);
    ASSERT_FALSE(browsers_[0].Selected.empty());
    EXPECT_NE(browsers_[0].Selected.back().find("(" + drive.Root() + ")"), std::string::npos);
    ASSERT_EQ(fileCalls.Copies.size(), 1u);
    EXPECT_EQ(fileCalls.Copies[0].second, drive.Root() + "\\a.txt");
    EXPECT_EQ(ReadWholeFile(target_ / "a.txt"), Content("a.txt"));
    ExpectResult(1, kCopyVerb);
}

TEST_F(FolderTransfer, AChosenDriveRootTakesOneBackslash) {
    MappedDrive drive(FreeLetterFromTheTop(), DRIVE_FIXED, target_.Path());
    ASSERT_TRUE(drive.Mapped()) << "no drive letter could be mapped in this prefix";
    CollectFiles({"a.txt", "b.doc"});
    Run(MoveToFolder, {Answer::Choose, drive.Root() + "\\"});

    ASSERT_EQ(fileCalls.Copies.size(), 2u);
    EXPECT_EQ(fileCalls.Copies[0].second, drive.Root() + "\\a.txt");
    EXPECT_EQ(fileCalls.Copies[1].second, drive.Root() + "\\b.doc");
    EXPECT_TRUE(FileExists(target_ / "b.doc"));
    EXPECT_FALSE(FileExists(source_ / "b.doc"));
    ExpectResult(2, kMoveVerb);
}

TEST_F(FolderTransfer, AFolderEndingInADoubleByteBackslashKeepsIt) {
    const std::string folder = target_ / ("data" + kHyou);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    CollectFiles({"a.txt"});
    Run(CopyToFolder, {Answer::Choose, folder});

    ASSERT_EQ(fileCalls.Copies.size(), 1u);
    EXPECT_EQ(fileCalls.Copies[0].second, folder + "\\a.txt");
    EXPECT_EQ(ReadWholeFile(folder + "\\a.txt"), Content("a.txt"));
    ExpectResult(1, kCopyVerb);
}

TEST_F(FolderTransfer, ShiftJisFileNamesAreCopiedWhole) {
    // ソ and 表 end in 0x5C: the name part must not be cut inside them.
    const std::string name = "\x83\x5C" + kHyou + ".txt";
    CollectFiles({name});
    Run(CopyToFolder, {Answer::Choose, target_.Path()});
    ASSERT_EQ(fileCalls.Copies.size(), 1u);
    EXPECT_EQ(fileCalls.Copies[0].second, target_ / name);
    EXPECT_EQ(ReadWholeFile(target_ / name), Content(name));
    ExpectResult(1, kCopyVerb);
}

TEST_F(FolderTransfer, AFileOfTheSameNameIsOverwritten) {
    target_.WriteFile("a.txt", "older and longer content");
    CollectFiles({"a.txt"});
    Run(CopyToFolder, {Answer::Choose, target_.Path()});
    EXPECT_EQ(ReadWholeFile(target_ / "a.txt"), Content("a.txt"));
    ExpectResult(1, kCopyVerb);
}

TEST_F(FolderTransfer, FoldersAndMissingFilesAreNotCounted) {
    ASSERT_TRUE(CreateDirectoryA((source_ / "sub").c_str(), nullptr));
    source_.WriteFile("sub\\inner.txt", "inner");
    CollectFiles({"a.txt"});
    // A label shown without its extension names no file.
    CollectPaths({"sub", "b", "missing.txt"});
    Run(MoveToFolder, {Answer::Choose, target_.Path()});

    EXPECT_EQ(fileCalls.Copies.size(), 4u);
    EXPECT_TRUE(FileExists(source_ / "sub\\inner.txt"));
    EXPECT_FALSE(FileExists(target_ / "sub"));
    EXPECT_EQ(fileCalls.Deletions, std::vector<std::string>{source_ / "a.txt"});
    ExpectResult(1, kMoveVerb);
}

TEST_F(FolderTransfer, AMoveDeletesOnlySourcesWhoseCopySucceeded) {
    // A folder of the same name in the target makes that one copy fail.
    ASSERT_TRUE(CreateDirectoryA((target_ / "b.doc").c_str(), nullptr));
    CollectFiles({"a.txt", "b.doc", "c.txt"});
    Run(MoveToFolder, {Answer::Choose, target_.Path()});

    EXPECT_FALSE(FileExists(source_ / "a.txt"));
    EXPECT_EQ(ReadWholeFile(source_ / "b.doc"), Content("b.doc"));
    EXPECT_FALSE(FileExists(source_ / "c.txt"));
    EXPECT_EQ(ReadWholeFile(target_ / "c.txt"), Content("c.txt"));
    EXPECT_EQ(fileCalls.Deletions,
              (std::vector<std::string>{source_ / "a.txt", source_ / "c.txt"}));
    ExpectResult(2, kMoveVerb);
}

// A target of more than 259 bytes is skipped: not copied, not counted, never cut short.
TEST_F(FolderTransfer, ATargetPathThatWouldNotFitIsSkipped) {
    // A deep target folder of about 230 bytes leaves room for short names only.
    std::string folder = target_.Path();
    while (folder.size() < 225) {
        folder += "\\" + std::string(std::min<size_t>(40, 234 - folder.size()), 'd');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }
    // Target lengths without the terminator: 260 does not fit, 259 just does.
    const std::string tooLong(260 - folder.size() - 1, 'n');
    const std::string fitting(259 - folder.size() - 1, 'f');
    CollectFiles({"a.txt", tooLong, fitting});
    Run(CopyToFolder, {Answer::Choose, folder});

    ASSERT_EQ(fileCalls.Copies.size(), 2u);
    EXPECT_EQ(fileCalls.Copies[0].second, folder + "\\a.txt");
    EXPECT_EQ(fileCalls.Copies[1].second, folder + "\\" + fitting);
    EXPECT_EQ(fileCalls.Copies[1].second.size(), 259u);
    EXPECT_EQ(ReadWholeFile(folder + "\\" + fitting), Content(fitting));
    // Nothing was written under a name cut short.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\n*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    ExpectResult(2, kCopyVerb);
}

TEST_F(FolderTransfer, AnItemWithoutAFileSystemPathEndsLikeACancel) {
    CollectFiles({"a.txt"});
    record_.Action = CopyToFolder;
    Settle({Answer::Choose, target_.Path()});
    TransferDriver driver({Answer::Choose, target_.Path()});
    {
        ImportPatch pathless("shell32.dll", "SHGetPathFromIDListA",
                             reinterpret_cast<void*>(&PathlessItem));
        ASSERT_TRUE(pathless.Active());
        CopyOrMoveToFolder(record_, owner_);
    }
    EXPECT_EQ(driver.Browsers().size(), 1u);
    EXPECT_TRUE(driver.Boxes().empty());
    EXPECT_FALSE(FileExists(target_ / "a.txt"));
    EXPECT_TRUE(FileExists(source_ / "a.txt"));
}

TEST_F(FolderTransfer, AChosenVirtualFolderEndsLikeACancel) {
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)));
    CollectFiles({"a.txt"});
    Answer answer;
    answer.What = Answer::ChooseItem;
    answer.Item = computer;
    pathAnswers.clear();
    {
        ImportPatch watch("shell32.dll", "SHGetPathFromIDListA",
                          reinterpret_cast<void*>(&WatchedPathFromItem));
        ASSERT_TRUE(watch.Active());
        realPathFromItem = watch.OriginalAs<decltype(&SHGetPathFromIDListA)>();
        Run(MoveToFolder, answer);
    }
    CoTaskMemFree(computer);
    // The browser did return the item, and it has no file-system path.
    EXPECT_EQ(pathAnswers, std::vector<BOOL>{FALSE});
    EXPECT_EQ(browsers_.size(), 1u);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(fileCalls.Copies.empty());
    EXPECT_TRUE(FileExists(source_ / "a.txt"));
}

TEST_F(FolderTransfer, WithoutAListNothingIsCopiedAndZeroIsReported) {
    record_.SelectedPaths = nullptr;
    Run(MoveToFolder, {Answer::Choose, target_.Path()});
    EXPECT_TRUE(fileCalls.Copies.empty());
    ExpectResult(0, kMoveVerb);
}

// --- The browser's callback on its own -------------------------------------------------

struct SentMessage {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
};
std::vector<SentMessage> sentMessages;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER)
        sentMessages.push_back({message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(FolderBrowseCallback, SelectsTheFolderOnlyWhenTheBrowserStarts) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VestraneBrowserStandIn";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    char folder[] = "C:\\work";
    const LPARAM data = reinterpret_cast<LPARAM>(folder);

    sentMessages.clear();
    EXPECT_EQ(FolderBrowseCallback(window, BFFM_SELCHANGED, 0, data), 0);
    EXPECT_EQ(FolderBrowseCallback(window, BFFM_VALIDATEFAILEDA, 0, data), 0);
    EXPECT_TRUE(sentMessages.empty());

    EXPECT_EQ(FolderBrowseCallback(window, BFFM_INITIALIZED, 0, data), 0);
    ASSERT_EQ(sentMessages.size(), 1u);
    EXPECT_EQ(sentMessages[0].Message, static_cast<UINT>(WM_USER + 102));
    EXPECT_EQ(sentMessages[0].WParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(sentMessages[0].LParam, data);
    DestroyWindow(window);
}

} // namespace
