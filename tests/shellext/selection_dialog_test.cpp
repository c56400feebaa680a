// The selection dialog shown from the test's own module (the DLL's resources are linked
// into this program), driven through ModalDriver while its modal loop runs: what it shows
// for a record, and what each way of ending it writes back.
#include "shellext/selection_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/resource_text.h"
#include "engine/item_names.h"
#include "shellext/module_state.h"
#include "shellext/resource.h"
#include "tests/support/clipboard_reader.h"
#include "tests/support/modal_driver.h"
#include "tests/support/test_list_view.h"
#include "tests/support/process_lock.h"
#include "tests/support/row_label.h"
#include "tests/support/string_list_entries.h"
#include "tests/support/uncopyable.h"
#include "tests/support/wide_text.h"

namespace {

const int kRadios[] = {IDC_CLIPBOARD_COPY, IDC_CLIPBOARD_CUT, IDC_SELECT_ONLY, IDC_COPY_TO_FOLDER,
                       IDC_MOVE_TO_FOLDER};

constexpr int kUnknownFocus = -1;

// The id of the dialog's control that has the focus, or 0.
int FocusedControl(HWND dialog) {
    HWND focus = GetFocus();
    HWND combo = GetDlgItem(dialog, IDC_PATTERN_COMBO);
    // A drop-down combo box hands the focus to its edit field.
    if (focus != nullptr && GetParent(focus) == combo)
        focus = combo;
    return focus != nullptr && GetParent(focus) == dialog ? GetDlgCtrlID(focus) : 0;
}

// Records where the dialog procedure left the focus, when WM_INITDIALOG returns.
class InitFocusRecorder : private Uncopyable {
public:
    InitFocusRecorder() {
        active = this;
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, OnReturn, nullptr, GetCurrentThreadId());
    }
    ~InitFocusRecorder() {
        UnhookWindowsHookEx(hook_);
        active = nullptr;
    }
    int Focus() const { return focus_; }

private:
    static LRESULT CALLBACK OnReturn(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && active != nullptr && call->message == WM_INITDIALOG)
            active->focus_ = FocusedControl(call->hwnd);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static thread_local InitFocusRecorder* active;
    HHOOK hook_ = nullptr;
    int focus_ = kUnknownFocus;
};
thread_local InitFocusRecorder* InitFocusRecorder::active = nullptr;

// What the dialog showed when its modal loop had started.
struct Snapshot {
    bool Taken = false;
    std::vector<int> CheckedRadios;
    // The combo box's texts as UTF-16, and in code page 932 for comparing with the record.
    std::wstring WideComboText;
    std::vector<std::wstring> WideComboItems;
    std::string ComboText;
    std::vector<std::string> ComboItems;
    // The control with the focus once the dialog is shown, or kUnknownFocus when another
    // process's window had taken the activation (test programs run side by side).
    int FocusId = 0;
    // The control with the focus right after WM_INITDIALOG, before the dialog is shown.
    int FocusAtInit = 0;
    HICON SmallIcon = nullptr;
    HICON BigIcon = nullptr;
    RECT Frame = {};
    HWND Owner = nullptr;
};

Snapshot Take(HWND dialog) {
    Snapshot shot;
    shot.Taken = true;
    for (int id : kRadios) {
        if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
            shot.CheckedRadios.push_back(id);
    }
    HWND combo = GetDlgItem(dialog, IDC_PATTERN_COMBO);
    wchar_t text[512] = {};
    GetWindowTextW(combo, text, 512);
    shot.WideComboText = text;
    shot.ComboText = Utf8(text);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t item[512] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 512)
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        shot.WideComboItems.push_back(item);
        shot.ComboItems.push_back(Utf8(item));
    }
    shot.FocusId = GetActiveWindow() == dialog ? FocusedControl(dialog) : kUnknownFocus;
    shot.SmallIcon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
    shot.BigIcon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
    GetWindowRect(dialog, &shot.Frame);
    shot.Owner = GetWindow(dialog, GW_OWNER);
    return shot;
}

void SetComboText(HWND dialog, const std::wstring& text) {
    SetWindowTextW(GetDlgItem(dialog, IDC_PATTERN_COMBO), text.c_str());
}

// A line field in code page 932, as the tables write lines.
std::string Bytes(const wchar_t* field) {
    return Utf8(field);
}

template <int Size> void SetField(wchar_t (&field)[Size], const char* text) {
    lstrcpynW(field, Wide(text).c_str(), Size);
}

class SelectionDialogTest : public testing::Test {
protected:
    void SetUp() override {
        // The dialog's template and icon come from this program, which carries the DLL's
        // resources.
        ModuleInstance = GetModuleHandleA(nullptr);
        record = RunRecord{};
        std::fill(record.PatternLine, record.PatternLine + kRecordTextSize, L'#');
        record.PatternLine[kRecordTextSize - 1] = L'\0';
        lstrcpyW(record.SourceFolder, L"C:\\Docs");
        record.Action = 0xDEAD;
    }

    void SetHistory(const std::vector<std::string>& lines) {
        record.History.Clear();
        for (const auto& line : lines)
            record.History.Append(Wide(line).c_str());
    }

    // Shows the dialog for the record; `act` ends it after the snapshot.
    INT_PTR Show(const std::function<void(HWND)>& act, HWND owner = nullptr) {
        InitFocusRecorder focus;
        ModalDriver driver([&](HWND dialog) {
            shot = Take(dialog);
            act(dialog);
        });
        const INT_PTR result = ShowSelectionDialog(record, owner);
        EXPECT_EQ(driver.Seen(), 1);
        shot.FocusAtInit = focus.Focus();
        return result;
    }
    // Types the text into the pattern box and confirms; the line the record then holds.
    std::string ConfirmTyped(const std::wstring& text) {
        EXPECT_EQ(Show([&](HWND dialog) {
                      SetComboText(dialog, text);
                      ClickButton(dialog, IDOK);
                  }),
                  IDOK);
        return Bytes(record.PatternLine);
    }
    INT_PTR ShowAndConfirm() {
        return Show([](HWND dialog) { ClickButton(dialog, IDOK); });
    }
    INT_PTR ShowAndCancel() {
        return Show([](HWND dialog) { ClickButton(dialog, IDCANCEL); });
    }

    // The procedure leaves the focus on the control, and the system does not move it
    // when it shows the dialog.
    void ExpectFocus(int control) {
        EXPECT_EQ(shot.FocusAtInit, control);
        if (shot.FocusId != kUnknownFocus) {
            EXPECT_EQ(shot.FocusId, control);
        }
    }

    RunRecord record;
    Snapshot shot;
};

// ---------------------------------------------------------------- the preselected action

struct ModeCase {
    const char* label;
    DWORD Mode;
    int Radio;
};
class PreselectTest : public SelectionDialogTest, public testing::WithParamInterface<ModeCase> {};

TEST_P(PreselectTest, ChecksExactlyTheRadioOfTheConfiguredMode) {
    record.ConfiguredMode = GetParam().Mode;
    EXPECT_EQ(ShowAndCancel(), IDCANCEL);
    EXPECT_EQ(shot.CheckedRadios, std::vector<int>{GetParam().Radio});
}

const ModeCase kModeCases[] = {
    {"SelectOnly", SelectOnly, IDC_SELECT_ONLY},
    {"ClipboardCopy", ClipboardCopy, IDC_CLIPBOARD_COPY},
    {"ClipboardCut", ClipboardCut, IDC_CLIPBOARD_CUT},
    {"UsePreviousWithoutRecordedAction", UsePrevious, IDC_SELECT_ONLY},
    {"CopyToFolder", CopyToFolder, IDC_COPY_TO_FOLDER},
    {"MoveToFolder", MoveToFolder, IDC_MOVE_TO_FOLDER},
    {"Six", 6, IDC_SELECT_ONLY},
    {"Huge", 0xFFFFFFFF, IDC_SELECT_ONLY},
};

INSTANTIATE_TEST_SUITE_P(Modes, PreselectTest, testing::ValuesIn(kModeCases), RowLabel());

// ---------------------------------------------------------------- initial text, history, focus

struct StartCase {
    const char* label;
    DWORD InitFromHistory;
    const char* DefaultPattern;
    std::vector<std::string> History;
    DWORD Mode;
    std::string ExpectedText;
    std::vector<std::string> ExpectedItems;
    int ExpectedFocus;
};
class StartTest : public SelectionDialogTest, public testing::WithParamInterface<StartCase> {};

TEST_P(StartTest, ShowsTheInitialTextTheHistoryAndTheFocus) {
    const StartCase& c = GetParam();
    record.InitFromHistory = c.InitFromHistory;
    SetField(record.DefaultPattern, c.DefaultPattern);
    record.ConfiguredMode = c.Mode;
    SetHistory(c.History);
    EXPECT_EQ(ShowAndCancel(), IDCANCEL);
    EXPECT_EQ(shot.ComboText, c.ExpectedText);
    EXPECT_EQ(shot.ComboItems, c.ExpectedItems);
    ExpectFocus(c.ExpectedFocus);
}

const StartCase kStartCases[] = {
    {"DefaultPattern",
     0,
     "*.txt",
     {"zeta", "alpha", "Mid"},
     SelectOnly,
     "*.txt",
     {"zeta", "alpha", "Mid"},
     IDC_PATTERN_COMBO},
    {"EmptyDefaultPatternStillCounts",
     0,
     "",
     {"a", "b"},
     ClipboardCopy,
     "",
     {"a", "b"},
     IDC_PATTERN_COMBO},
    {"DefaultPatternWithoutHistory", 0, "*.doc", {}, CopyToFolder, "*.doc", {}, IDC_PATTERN_COMBO},
    {"FirstHistoryEntry",
     1,
     "*.txt",
     {"b*", "a*"},
     SelectOnly,
     "b*",
     {"b*", "a*"},
     IDC_PATTERN_COMBO},
    {"AnyNonzeroSelectMeansHistory", 7, "*.txt", {"x"}, SelectOnly, "x", {"x"}, IDC_PATTERN_COMBO},
    {"EmptyHistoryFocusesTheRadio", 1, "*.txt", {}, MoveToFolder, "", {}, IDC_MOVE_TO_FOLDER},
    {"EmptyHistoryFocusesSelectOnlyForUsePrevious",
     1,
     "*.txt",
     {},
     UsePrevious,
     "",
     {},
     IDC_SELECT_ONLY},
};

INSTANTIATE_TEST_SUITE_P(Starts, StartTest, testing::ValuesIn(kStartCases), RowLabel());

TEST_F(SelectionDialogTest, TenHistoryEntriesAreOfferedInListOrder) {
    std::vector<std::string> lines;
    for (int i = 9; i >= 0; --i)
        lines.push_back("*." + std::to_string(i));
    SetHistory(lines);
    record.InitFromHistory = 1;
    ShowAndCancel();
    EXPECT_EQ(shot.ComboItems, lines);
    EXPECT_EQ(shot.ComboText, "*.9");
}

TEST_F(SelectionDialogTest, UnterminatedDefaultPatternIsShownCut) {
    std::fill(record.DefaultPattern, record.DefaultPattern + kRecordTextSize, L'd');
    ShowAndConfirm();
    EXPECT_EQ(shot.ComboText, std::string(kRecordTextSize - 1, 'd').substr(0, 2047));
    EXPECT_EQ(Bytes(record.PatternLine), std::string(259, 'd'));
}

// ---------------------------------------------------------------- confirming

struct ChoiceCase {
    const char* label;
    std::vector<int> Checked;
    DWORD ExpectedAction;
};
class ChoiceTest : public SelectionDialogTest, public testing::WithParamInterface<ChoiceCase> {};

TEST_P(ChoiceTest, OkReportsTheFirstCheckedRadioInTestOrder) {
    record.ConfiguredMode = SelectOnly;
    const auto& checked = GetParam().Checked;
    const INT_PTR result = Show([&](HWND dialog) {
        for (int id : kRadios)
            CheckDlgButton(dialog, id, BST_UNCHECKED);
        for (int id : checked)
            CheckDlgButton(dialog, id, BST_CHECKED);
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(record.Action, GetParam().ExpectedAction);
}

const ChoiceCase kChoiceCases[] = {
    {"SelectOnly", {IDC_SELECT_ONLY}, SelectOnly},
    {"ClipboardCopy", {IDC_CLIPBOARD_COPY}, ClipboardCopy},
    {"ClipboardCut", {IDC_CLIPBOARD_CUT}, ClipboardCut},
    {"CopyToFolder", {IDC_COPY_TO_FOLDER}, CopyToFolder},
    {"MoveToFolder", {IDC_MOVE_TO_FOLDER}, MoveToFolder},
    {"NoneChecked", {}, SelectOnly},
    {"CutBeforeCopy", {IDC_CLIPBOARD_COPY, IDC_CLIPBOARD_CUT}, ClipboardCut},
    {"CopyBeforeFolderCopy", {IDC_COPY_TO_FOLDER, IDC_CLIPBOARD_COPY}, ClipboardCopy},
    {"FolderCopyBeforeMove", {IDC_MOVE_TO_FOLDER, IDC_COPY_TO_FOLDER}, CopyToFolder},
    {"MoveBeforeSelectOnly", {IDC_SELECT_ONLY, IDC_MOVE_TO_FOLDER}, MoveToFolder},
    {"AllChecked",
     {IDC_SELECT_ONLY, IDC_MOVE_TO_FOLDER, IDC_COPY_TO_FOLDER, IDC_CLIPBOARD_COPY,
      IDC_CLIPBOARD_CUT},
     ClipboardCut},
};

INSTANTIATE_TEST_SUITE_P(Choices, ChoiceTest, testing::ValuesIn(kChoiceCases), RowLabel());

TEST_F(SelectionDialogTest, ClickingARadioUnchecksThePreselectedOne) {
    record.ConfiguredMode = ClipboardCut;
    std::vector<int> checkedAfterClick;
    const INT_PTR result = Show([&](HWND dialog) {
        ClickButton(dialog, IDC_MOVE_TO_FOLDER);
        for (int id : kRadios) {
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
                checkedAfterClick.push_back(id);
        }
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(checkedAfterClick, std::vector<int>{IDC_MOVE_TO_FOLDER});
    EXPECT_EQ(record.Action, static_cast<DWORD>(MoveToFolder));
}

TEST_F(SelectionDialogTest, OkWithoutChangesKeepsThePreselectedAction) {
    record.ConfiguredMode = CopyToFolder;
    SetField(record.DefaultPattern, "*.txt");
    EXPECT_EQ(ShowAndConfirm(), IDOK);
    EXPECT_EQ(Bytes(record.PatternLine), "*.txt");
    EXPECT_EQ(record.Action, static_cast<DWORD>(CopyToFolder));
}

// The count of matches under the line, for a window of many items: counted a slice at a time
// on the dialog's own thread, the text saying so until it is done, every message still
// handled within a slice's time; a change of the line starts the count again.
TEST_F(SelectionDialogTest, CountsTheMatchesInSlicesAndAgainForEachChange) {
    constexpr int kItems = 30000;
    TestListView list;
    SendMessageW(list.ListView(), WM_SETREDRAW, FALSE, 0);
    for (int index = 0; index < kItems; ++index)
        list.AddItem(L"file" + std::to_wstring(index) + (index % 3 == 0 ? L".txt" : L".doc"));
    SendMessageW(list.ListView(), WM_SETREDRAW, TRUE, 0);
    ItemNames names;
    ASSERT_TRUE(names.Start(list.ListView()));
    record.Names = &names;
    SetField(record.DefaultPattern, "*.txt");

    const auto countText = [](HWND dialog) {
        wchar_t text[128] = {};
        GetDlgItemTextW(dialog, IDC_MATCH_COUNT, text, 128);
        return std::wstring(text);
    };
    const auto expected = [](UINT id, int matches) {
        wchar_t format[kMessageRoom];
        LoadText(GetModuleHandleW(nullptr), id, format, kMessageRoom);
        wchar_t text[kMessageRoom];
        const std::wstring counted = std::to_wstring(matches);
        const std::wstring total = std::to_wstring(kItems);
        FormText(text, format, {counted.c_str(), total.c_str()});
        return std::wstring(text);
    };
    // What the text says while counting, behind the numbers.
    const std::wstring counting = [] {
        wchar_t format[kMessageRoom];
        LoadText(GetModuleHandleW(nullptr), IDS_MATCH_COUNTING, format, kMessageRoom);
        const std::wstring text = format;
        return text.substr(text.rfind(L"%s") + 2);
    }();
    const auto stillCounting = [&](const std::wstring& text) {
        return text.size() >= counting.size() &&
               text.compare(text.size() - counting.size(), counting.size(), counting) == 0;
    };
    std::vector<std::wstring> seen;
    DWORD longest = 0;
    Show([&](HWND dialog) {
        // Until the count for "*.txt" is done, then once more for a changed line.
        for (const wchar_t* line : {L"", L"*.doc|file1*"}) {
            // Typed, character by character.
            HWND edit =
                FindWindowExW(GetDlgItem(dialog, IDC_PATTERN_COMBO), nullptr, L"Edit", nullptr);
            if (*line != L'\0')
                SetWindowTextW(edit, L"");
            for (const wchar_t* at = line; *at != L'\0'; ++at)
                SendMessageW(edit, WM_CHAR, *at, 0);
            const DWORD start = GetTickCount();
            MSG message;
            while (GetTickCount() - start < 60000 && stillCounting(countText(dialog))) {
                if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                    WaitMessage();
                    continue;
                }
                const DWORD before = GetTickCount();
                TranslateMessage(&message);
                DispatchMessageW(&message);
                longest = std::max(longest, GetTickCount() - before);
                if (seen.empty() || seen.back() != countText(dialog))
                    seen.push_back(countText(dialog));
            }
            seen.push_back(countText(dialog));
        }
        ClickButton(dialog, IDCANCEL);
    });
    ASSERT_GE(seen.size(), 4u);
    EXPECT_GT(std::count_if(seen.begin(), seen.end(), stillCounting), 2)
        << "counted in several slices";
    EXPECT_LT(longest, 200u) << "a slice held the dialog for " << longest << " ms";
    // file1*: file1, file10..19, file100..199, file1000..1999, file10000..19999.
    int docs = 0;
    for (int index = 0; index < kItems; ++index) {
        const std::string name = "file" + std::to_string(index);
        docs += index % 3 != 0 && name.rfind("file1", 0) != 0 ? 1 : 0;
    }
    EXPECT_TRUE(std::find(seen.begin(), seen.end(), expected(IDS_MATCH_COUNT, kItems / 3)) !=
                seen.end());
    EXPECT_EQ(seen.back(), expected(IDS_MATCH_COUNT, docs));
}

std::vector<HWND> announcedRegions;

void CALLBACK NoteLiveRegion(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
    announcedRegions.push_back(window);
}

// The names on the clipboard: offered with the count of their lines, unchecked; checked, they
// stand in for the line in the count, which says how many name nothing and is announced as a
// live region once done, and they go to the record at OK with the combining chosen, which
// the dialog offered as the record's.
TEST_F(SelectionDialogTest, TheClipboardsNamesStandInForTheLineWithTheCombiningChosen) {
    ProcessLock clipboardLock("clipboard");
    TestListView list;
    for (const wchar_t* name : {L"a.txt", L"b.doc", L"my file.txt"})
        list.AddItem(name);
    ItemNames names;
    ASSERT_TRUE(names.Start(list.ListView()));
    record.Names = &names;
    record.Combine = AddToSelection;
    ASSERT_TRUE(PutClipboardText(nullptr, L"a.txt\r\n\"my file.txt\"\tsize\r\n\r\nnone\r\n"));
    announcedRegions.clear();
    const HWINEVENTHOOK hook = SetWinEventHook(0x8019, 0x8019, nullptr, NoteLiveRegion,
                                               GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    const auto formed = [](UINT id, std::initializer_list<const wchar_t*> arguments) {
        wchar_t format[kMessageRoom];
        LoadText(GetModuleHandleW(nullptr), id, format, kMessageRoom);
        wchar_t out[kMessageRoom];
        FormText(out, format, arguments);
        return std::wstring(out);
    };
    const std::wstring counted =
        formed(IDS_MATCH_COUNT, {L"2", L"3"}) + L"\n" + formed(IDS_NAMES_NOT_FOUND, {L"1"});
    wchar_t label[kMessageRoom] = {};
    bool offered = false;
    bool checkedAtStart = true;
    bool addChecked = false;
    bool countShown = false;
    HWND countWindow = nullptr;
    Show([&](HWND dialog) {
        HWND box = GetDlgItem(dialog, IDC_NAMES_FROM_CLIPBOARD);
        offered = IsWindowEnabled(box) != FALSE;
        checkedAtStart = IsDlgButtonChecked(dialog, IDC_NAMES_FROM_CLIPBOARD) == BST_CHECKED;
        addChecked = IsDlgButtonChecked(dialog, IDC_ADD_TO_SELECTION) == BST_CHECKED;
        GetWindowTextW(box, label, kMessageRoom);
        ClickButton(dialog, IDC_NAMES_FROM_CLIPBOARD);
        ClickButton(dialog, IDC_REMOVE_FROM_SELECTION);
        countWindow = GetDlgItem(dialog, IDC_MATCH_COUNT);
        const DWORD start = GetTickCount();
        MSG message;
        while (!countShown && GetTickCount() - start < 10000) {
            if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            wchar_t shown[kMessageRoom] = {};
            GetWindowTextW(countWindow, shown, kMessageRoom);
            countShown = counted == shown;
        }
        ClickButton(dialog, IDOK);
    });
    UnhookWinEvent(hook);
    EXPECT_TRUE(offered);
    EXPECT_FALSE(checkedAtStart);
    EXPECT_TRUE(addChecked);
    EXPECT_EQ(std::wstring(label), formed(IDS_NAMES_FROM_CLIPBOARD, {L"3"}));
    EXPECT_TRUE(countShown) << Utf8(counted);
    EXPECT_NE(std::find(announcedRegions.begin(), announcedRegions.end(), countWindow),
              announcedRegions.end());
    EXPECT_EQ(record.Combine, static_cast<DWORD>(RemoveFromSelection));
    ASSERT_TRUE(record.ClipboardNames);
    EXPECT_EQ(record.ClipboardNames->Count(), 3u);

    // Without text on the clipboard nothing is offered, and the line decides.
    ClearClipboard(nullptr);
    record.ClipboardNames.reset();
    Show([&](HWND dialog) {
        offered = IsWindowEnabled(GetDlgItem(dialog, IDC_NAMES_FROM_CLIPBOARD)) != FALSE;
        ClickButton(dialog, IDOK);
    });
    EXPECT_FALSE(offered);
    EXPECT_FALSE(record.ClipboardNames);
}

TEST_F(SelectionDialogTest, OkTakesTheTypedLine) {
    EXPECT_EQ(ConfirmTyped(L"*.txt .doc readme"), "*.txt .doc readme");
}

// The line is kept as it is typed, whatever the system's ANSI code page: a history entry is
// shown as its UTF-16 text, and a typed character without a code page 932 form stays itself
// (it became a "?", which then selected names the user never typed).
TEST_F(SelectionDialogTest, TextsAreKeptAsTyped) {
    SetHistory({"表*.txt", "ソ"});
    record.InitFromHistory = 1;
    ShowAndConfirm();
    EXPECT_EQ(shot.WideComboText, L"表*.txt");
    EXPECT_EQ(shot.WideComboItems, (std::vector<std::wstring>{L"表*.txt", L"ソ"}));
    EXPECT_EQ(Bytes(record.PatternLine), "表*.txt");
    // Kept out of the assertion, whose text must itself be code page 932.
    const std::wstring typed = L"表é*.txt 한* \U0001F600 ¥";
    ConfirmTyped(typed);
    EXPECT_TRUE(std::wstring(record.PatternLine) == typed);
}

TEST_F(SelectionDialogTest, OkTakesAnEntryPickedFromTheHistory) {
    SetHistory({"a*", "b*", "c*"});
    SetField(record.DefaultPattern, "*.txt");
    const INT_PTR result = Show([](HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_PATTERN_COMBO);
        SendMessageA(combo, CB_SETCURSEL, 1, 0);
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Bytes(record.PatternLine), "b*");
}

TEST_F(SelectionDialogTest, OkWithAnEmptyBoxGivesAnEmptyLine) {
    SetField(record.DefaultPattern, "*.txt");
    EXPECT_EQ(ConfirmTyped(L""), "");
}

TEST_F(SelectionDialogTest, TextIsCutAt259Bytes) {
    EXPECT_EQ(ConfirmTyped(std::wstring(300, L'x')), std::string(259, 'x'));
}

TEST_F(SelectionDialogTest, TextOf259BytesIsKeptWhole) {
    const std::string line = "*." + std::string(257, 'y');
    EXPECT_EQ(ConfirmTyped(Wide(line)), line);
}

// The line holds what was typed, characters of any kind alike (150 Japanese ones were cut to
// 129, the bytes of the code page 932 form that fit); a longer text keeps its first 259.
TEST_F(SelectionDialogTest, TheLineKeepsUpTo259TypedCharacters) {
    const std::wstring japanese(150, L'表');
    ConfirmTyped(japanese);
    EXPECT_TRUE(std::wstring(record.PatternLine) == japanese);
    ConfirmTyped(std::wstring(300, L'a'));
    EXPECT_EQ(std::wstring(record.PatternLine), std::wstring(259, L'a'));
}

TEST_F(SelectionDialogTest, OkLeavesEveryOtherFieldAlone) {
    SetField(record.DefaultPattern, "*.txt");
    record.ConfiguredMode = ClipboardCopy;
    record.InitFromHistory = 0;
    record.PathBytesTotal = 1234;
    SetHistory({"a", "b"});
    ShowAndConfirm();
    EXPECT_EQ(Bytes(record.DefaultPattern), "*.txt");
    EXPECT_STREQ(record.SourceFolder, L"C:\\Docs");
    EXPECT_EQ(record.ConfiguredMode, static_cast<DWORD>(ClipboardCopy));
    EXPECT_EQ(record.InitFromHistory, 0u);
    EXPECT_EQ(record.PathBytesTotal, 1234u);
    EXPECT_TRUE(Entries(record.SelectedPaths).empty());
    EXPECT_EQ(Entries(record.History), (std::vector<std::wstring>{L"a", L"b"}));
}

// ---------------------------------------------------------------- cancelling

struct CancelCase {
    const char* label;
    std::function<void(HWND)> End;
};
class CancelTest : public SelectionDialogTest, public testing::WithParamInterface<CancelCase> {};

TEST_P(CancelTest, EndsWithTwoAndWritesNothing) {
    SetField(record.DefaultPattern, "*.txt");
    record.ConfiguredMode = ClipboardCut;
    SetField(record.PatternLine, "previous line");
    record.Action = MoveToFolder;
    const INT_PTR result = Show([&](HWND dialog) {
        SetComboText(dialog, L"typed but cancelled");
        ClickButton(dialog, IDC_CLIPBOARD_COPY);
        GetParam().End(dialog);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Bytes(record.PatternLine), "previous line");
    EXPECT_EQ(record.Action, static_cast<DWORD>(MoveToFolder));
}

const CancelCase kCancelCases[] = {
    {"CancelButton", [](HWND dialog) { ClickButton(dialog, IDCANCEL); }},
    {"EscapeKey",
     [](HWND dialog) {
         SetFocus(GetDlgItem(dialog, IDC_PATTERN_COMBO));
         PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
     }},
    {"EscapeKeyOnARadio",
     [](HWND dialog) {
         SetFocus(GetDlgItem(dialog, IDC_SELECT_ONLY));
         PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
     }},
    {"CloseBox", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"CloseMessage", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }},
};

INSTANTIATE_TEST_SUITE_P(Ends, CancelTest, testing::ValuesIn(kCancelCases), RowLabel());

TEST_F(SelectionDialogTest, EnterKeyConfirms) {
    SetField(record.DefaultPattern, "*.txt");
    const INT_PTR result = Show([](HWND dialog) {
        SetFocus(GetDlgItem(dialog, IDC_PATTERN_COMBO));
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Bytes(record.PatternLine), "*.txt");
}

TEST_F(SelectionDialogTest, OtherCommandsDoNotEndTheDialog) {
    int visibleBefore = -1;
    int visibleAfter = -1;
    const INT_PTR result = Show([&](HWND dialog) {
        visibleBefore = IsWindowVisible(dialog) ? 1 : 0;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PATTERN_COMBO, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_PATTERN_COMBO)));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(4711, 0), 0);
        visibleAfter = IsWindowVisible(dialog) ? 1 : 0;
        ClickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(visibleBefore, 1);
    EXPECT_EQ(visibleAfter, 1);
}

// ---------------------------------------------------------------- look and place

TEST_F(SelectionDialogTest, ShowsIconAsSmallAndLargeIcon) {
    ShowAndCancel();
    HICON icon = LoadIconA(ModuleInstance, MAKEINTRESOURCEA(IDI_VESTRANE));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(shot.SmallIcon, icon);
    EXPECT_EQ(shot.BigIcon, icon);
}

TEST_F(SelectionDialogTest, IsOwnedByTheGivenWindow) {
    HWND owner = CreateWindowExA(0, "Static", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(Show([](HWND dialog) { ClickButton(dialog, IDCANCEL); }, owner), IDCANCEL);
    EXPECT_EQ(shot.Owner, owner);
    DestroyWindow(owner);
}

struct PlaceCase {
    const char* label;
    // The cursor, from the work area's left and top edges (negative: from its right and
    // bottom edges).
    POINT Cursor;
};
class PlacementTest : public SelectionDialogTest, public testing::WithParamInterface<PlaceCase> {};

// Centred across on the cursor, the cursor near the bottom edge, wholly in the work area of
// the monitor under the cursor (the placement for other monitors: tests/common).
TEST_P(PlacementTest, OpensAtTheCursorWithinTheWorkArea) {
    // The cursor is shared by every process of the prefix.
    ProcessLock lock("cursor");
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT area = monitor.rcWork;
    const POINT given = GetParam().Cursor;
    const POINT cursor = {given.x >= 0 ? area.left + given.x : area.right + given.x,
                          given.y >= 0 ? area.top + given.y : area.bottom + given.y};
    ASSERT_TRUE(SetCursorPos(cursor.x, cursor.y));
    POINT actual = {};
    GetCursorPos(&actual);
    ASSERT_EQ(actual.x, cursor.x);
    ASSERT_EQ(actual.y, cursor.y);
    ShowAndCancel();
    const RECT frame = shot.Frame;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    EXPECT_GE(frame.left, area.left);
    EXPECT_GE(frame.top, area.top);
    EXPECT_LE(frame.right, area.right);
    EXPECT_LE(frame.bottom, area.bottom);
    const int x = cursor.x - width / 2;
    const int y = cursor.y - (height / 8) * 7;
    if (x >= area.left && x + width <= area.right) {
        EXPECT_EQ(frame.left, x);
    }
    if (y >= area.top && y + height <= area.bottom) {
        EXPECT_EQ(frame.top, y);
    }
}

// The placement at every edge is dialog_placement_test's to show; here it is given this
// dialog's size and the work area.
const PlaceCase kPlaceCases[] = {
    {"Inside", {500, 400}},
    // The pointer's far corner: the dialog hung off the screen.
    {"NearBottomRight", {-3, -3}},
    {"NearTopLeft", {5, 5}},
};

INSTANTIATE_TEST_SUITE_P(Cursor, PlacementTest, testing::ValuesIn(kPlaceCases), RowLabel());

// ---------------------------------------------------------------- which record

// The dialog works on the record it is handed: another run going on meanwhile (another
// context menu, another Explorer thread) is not touched, and without a record the dialog ends
// before it is shown.
TEST_F(SelectionDialogTest, WorksOnTheRecordItIsHandedAndWithoutOneEndsAsCancelled) {
    RunRecord other;
    SetField(other.PatternLine, "other line");
    other.Action = ClipboardCopy;
    SetField(record.DefaultPattern, "*.mine");
    record.ConfiguredMode = ClipboardCut;
    const INT_PTR result = Show([](HWND dialog) {
        SetComboText(dialog, L"*.mine readme");
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shot.ComboText, "*.mine");
    EXPECT_EQ(shot.CheckedRadios, std::vector<int>{IDC_CLIPBOARD_CUT});
    EXPECT_EQ(Bytes(record.PatternLine), "*.mine readme");
    EXPECT_EQ(record.Action, static_cast<DWORD>(ClipboardCut));
    EXPECT_EQ(Bytes(other.PatternLine), "other line");
    EXPECT_EQ(other.Action, static_cast<DWORD>(ClipboardCopy));

    ModalDriver driver([](HWND dialog) { ClickButton(dialog, IDOK); });
    EXPECT_EQ(DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_SELECTION), nullptr,
                              SelectionDialog, 0),
              IDCANCEL);
    EXPECT_EQ(driver.Seen(), 0);
}

TEST_F(SelectionDialogTest, ModuleWithoutTheTemplateGivesMinusOne) {
    ModuleInstance = GetModuleHandleA("kernel32.dll");
    EXPECT_EQ(ShowSelectionDialog(record, nullptr), -1);
    EXPECT_EQ(record.Action, 0xDEADu);
}

} // namespace
