// RunChosenAction in this program, which carries the DLL's resources: the folder browser it
// opens, driven through Wine's real browser, and what it tells the user, each text from the
// string table. What the transfer and the clipboard do with the files is the engine's tests'
// to show.
#include "shellext/command_actions.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/message_box.h"
#include "common/resource_text.h"
#include "shellext/module_state.h"
#include "shellext/resource.h"
#include "tests/support/clipboard_reader.h"
#include "tests/support/folder_browser.h"
#include "tests/support/import_patch.h"
#include "tests/support/modal_driver.h"
#include "tests/support/process_lock.h"
#include "tests/support/row_label.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wide_text.h"
#include "tests/support/wine_drive.h"

namespace {

// A text of the string table with its "%s" filled in, in code page 932 as the message box
// reader gives it.
std::string Text(UINT id, const std::wstring& argument = L"", const std::wstring& second = L"") {
    wchar_t format[kMessageRoom];
    LoadText(GetModuleHandleW(nullptr), id, format, kMessageRoom);
    wchar_t text[kMessageRoom];
    FormText(text, format, {argument.c_str(), second.c_str()});
    return Utf8(text);
}

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

// Answers the browser as told, every question before a file is replaced with No, every
// message box with OK, and records the browsers and the boxes.
class ActionDriver {
public:
    explicit ActionDriver(Answer answer)
        : answer_(std::move(answer)), driver_([this](HWND window) { Handle(window); }) {}

    std::vector<BrowserSeen> Browsers;
    std::vector<CapturedMessageBox> Boxes;

private:
    void Handle(HWND window) {
        if (GetDlgItem(window, IDNO) != nullptr) {
            ClickButton(window, IDNO);
            return;
        }
        if (!IsFolderBrowser(window)) {
            Boxes.push_back(
                {GetWindow(window, GW_OWNER), WindowText(window), MessageBoxText(window)});
            ClickButton(window, IDOK);
            return;
        }
        Browsers.push_back(
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
    ModalDriver driver_;
};

// A free drive letter from Y: down; other test programs take theirs from R: up.
char FreeLetterFromTheTop() {
    const DWORD used = GetLogicalDrives();
    for (char letter = 'Y'; letter >= 'R'; --letter) {
        if ((used & (1u << (letter - 'A'))) == 0)
            return letter;
    }
    return 0;
}

class ChosenAction : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ModuleInstance = GetModuleHandleW(nullptr);
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
        ASSERT_TRUE(source_.WriteFile("a.txt", "a"));
        lstrcpynW(record_.SourceFolder, source_.WidePath().c_str(), MAX_PATH);
        record_.SelectedPaths.Append((source_ / L"a.txt").c_str());
    }
    void TearDown() override {
        DestroyWindow(owner_);
        CoUninitialize();
    }

    void Run(DWORD action, const Answer& answer) {
        record_.Action = action;
        SettleAccessTimes(Utf8(record_.SourceFolder));
        SettleAccessTimes(target_.Path());
        ActionDriver driver(answer);
        RunChosenAction(record_, owner_);
        browsers_ = driver.Browsers;
        boxes_ = driver.Boxes;
    }

    // The one message box: its text, caption and owner.
    void ExpectBox(const std::string& text, UINT caption) {
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].Text, text);
        EXPECT_EQ(boxes_[0].Caption, Text(caption));
        EXPECT_EQ(boxes_[0].Owner, owner_);
    }

    HWND owner_ = nullptr;
    BrowserTestFolders folders_;
    ScratchFolder& source_ = folders_.Source;
    ScratchFolder& target_ = folders_.Target;
    RunRecord record_;
    std::vector<BrowserSeen> browsers_;
    std::vector<CapturedMessageBox> boxes_;
};

struct ActionRow {
    const char* label;
    DWORD Action;
    UINT Title;
    UINT Done;
    UINT Stopped;
    UINT Incomplete;
    UINT NotDone;
};
class ChosenFolderAction : public ChosenAction, public ::testing::WithParamInterface<ActionRow> {};

// The browser opens over the owner on the source folder. Accepted as opened, it makes each file
// its own target, so none goes, and the message names every match left: those the pass could not
// collect (more than it names), one gone since and one outside the source folder (both taken out
// before the action), and the file that would be its own target.
TEST_P(ChosenFolderAction, TheBrowserOpensOnTheSourceFolderAndEveryMatchLeftIsNamed) {
    const ActionRow& row = GetParam();
    ASSERT_TRUE(source_.AddFolder("sub") && source_.WriteFile("sub\\out.txt", "out"));
    record_.UncollectedMatches.Append(L"long.txt");
    record_.UncollectedCount = 3;
    for (const wchar_t* name : {L"gone.txt", L"sub\\out.txt"})
        record_.SelectedPaths.Append((source_ / std::wstring(name)).c_str());
    Run(row.Action, {Answer::AcceptAsOpened, ""});

    ASSERT_EQ(browsers_.size(), 1u);
    EXPECT_EQ(browsers_[0].Owner, owner_);
    const std::vector<std::string>& texts = browsers_[0].Texts;
    EXPECT_NE(std::find(texts.begin(), texts.end(), Text(row.Title)), texts.end());
    ASSERT_FALSE(browsers_[0].Selected.empty());
    const std::string& path = source_.Path();
    EXPECT_EQ(browsers_[0].Selected.back(), path.substr(path.rfind('\\') + 1));
    EXPECT_TRUE(FileExists(source_ / "a.txt"));
    EXPECT_FALSE(FileExists(source_ / "out.txt"));
    ExpectBox(Text(row.Incomplete, L"0", L"6") + "long.txt, gone.txt, out.txt, a.txt...",
              IDS_CAPTION_RESULT);
}

// The shell's "No" stops Wine's operation: the message says so.
TEST_P(ChosenFolderAction, AStoppedTransferIsToldAsStopped) {
    const ActionRow& row = GetParam();
    ASSERT_TRUE(target_.WriteFile("a.txt", "the target's own"));
    Run(row.Action, {Answer::Choose, target_.Path()});
    EXPECT_EQ(ReadWholeFile(target_ / "a.txt"), "the target's own");
    ExpectBox(Text(row.Stopped, L"0") + Text(row.NotDone, L"1") + "a.txt", IDS_CAPTION_RESULT);
}

TEST_P(ChosenFolderAction, CancelDoesNothing) {
    Run(GetParam().Action, {Answer::Cancel, ""});
    EXPECT_EQ(browsers_.size(), 1u);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(FileExists(source_ / "a.txt"));
    EXPECT_FALSE(FileExists(target_ / "a.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Actions, ChosenFolderAction,
    ::testing::Values(ActionRow{"CopyToFolder", CopyToFolder, IDS_COPY_TITLE, IDS_COPIED,
                                IDS_COPY_STOPPED, IDS_COPY_INCOMPLETE, IDS_FILES_NOT_COPIED},
                      ActionRow{"MoveToFolder", MoveToFolder, IDS_MOVE_TITLE, IDS_MOVED,
                                IDS_MOVE_STOPPED, IDS_MOVE_INCOMPLETE, IDS_FILES_NOT_MOVED}),
    RowLabel());

// The folder of files in a drive's root is the drive alone, "Y:": the browser opens on it.
TEST_F(ChosenAction, ADriveAloneOpensOnThatDrive) {
    MappedDrive drive(FreeLetterFromTheTop(), DRIVE_FIXED, source_.Path());
    ASSERT_TRUE(drive.Mapped()) << "no drive letter could be mapped in this prefix";
    lstrcpynW(record_.SourceFolder, Wide(drive.Root()).c_str(), MAX_PATH);
    record_.SelectedPaths.Clear();
    record_.SelectedPaths.Append(Wide(drive.Root() + "\\a.txt").c_str());
    Run(CopyToFolder, {Answer::Choose, target_.Path()});

    // Wine labels a drive "<volume label> (Y:)".
    ASSERT_EQ(browsers_.size(), 1u);
    ASSERT_FALSE(browsers_[0].Selected.empty());
    EXPECT_NE(browsers_[0].Selected.back().find("(" + drive.Root() + ")"), std::string::npos);
    EXPECT_TRUE(FileExists(target_ / "a.txt"));
    ExpectBox(Text(IDS_COPIED, L"1"), IDS_CAPTION_RESULT);
}

// A chosen item without a file-system path ends the action as a cancel would.
TEST_F(ChosenAction, AChosenVirtualFolderEndsLikeACancel) {
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)));
    Answer answer;
    answer.What = Answer::ChooseItem;
    answer.Item = computer;
    Run(MoveToFolder, answer);
    CoTaskMemFree(computer);
    EXPECT_EQ(browsers_.size(), 1u);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(FileExists(source_ / "a.txt"));
}

// Another program that keeps the clipboard past the tries: the user is told.
TEST_F(ChosenAction, AClipboardHeldByAnotherProgramIsTold) {
    ProcessLock clipboardLock("clipboard");
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding());
    Run(ClipboardCut, {Answer::Cancel, ""});
    ExpectBox(Text(IDS_CLIPBOARD_BUSY), IDS_CAPTION_ERROR);
}

// The clipboard gets what the guard keeps; the message names what it did not get.
TEST_F(ChosenAction, TheClipboardNamesTheMatchesItLeftOut) {
    ProcessLock clipboardLock("clipboard");
    record_.SelectedPaths.Append((source_ / L"gone.txt").c_str());
    Run(ClipboardCopy, {Answer::Cancel, ""});
    EXPECT_EQ(ClipboardDropPaths(), std::vector<std::wstring>{source_ / L"a.txt"});
    ExpectBox(Text(IDS_CLIPBOARD_COPY_INCOMPLETE, L"1", L"1") + "gone.txt", IDS_CAPTION_RESULT);
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
    wchar_t folder[] = L"C:\\work";
    const LPARAM data = reinterpret_cast<LPARAM>(folder);

    sentMessages.clear();
    EXPECT_EQ(FolderBrowseCallback(window, BFFM_SELCHANGED, 0, data), 0);
    EXPECT_EQ(FolderBrowseCallback(window, BFFM_VALIDATEFAILEDA, 0, data), 0);
    EXPECT_TRUE(sentMessages.empty());

    EXPECT_EQ(FolderBrowseCallback(window, BFFM_INITIALIZED, 0, data), 0);
    ASSERT_EQ(sentMessages.size(), 1u);
    EXPECT_EQ(sentMessages[0].Message, static_cast<UINT>(BFFM_SETSELECTIONW));
    EXPECT_EQ(sentMessages[0].WParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(sentMessages[0].LParam, data);
    DestroyWindow(window);
}

} // namespace
