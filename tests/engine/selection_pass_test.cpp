// The selection pass against a real SysListView32: which items end up selected, what else
// stays untouched, which paths are collected, and which messages the list view gets.
#include "engine/selection_pass.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/modal_driver.h"
#include "tests/support/nothrow_failure.h"
#include "tests/support/row_label.h"
#include "tests/support/string_list_entries.h"
#include "tests/support/test_list_view.h"
#include "tests/support/wide_text.h"

namespace {

using Paths = std::vector<std::wstring>;

// What the list view was asked, in order; only the pass's own messages are kept.
struct SentMessage {
    UINT Message = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    int Item = -1;
    UINT Mask = 0;
    UINT State = 0;
    UINT StateMask = 0;
    int SubItem = -1;
    int TextMax = 0;
};

struct Observation {
    RunRecord* Record = nullptr;
    std::vector<SentMessage> Messages;
    // SelectedPaths as it stood when the repaint was asked for.
    Paths PathsAtRepaint;
    int Paints = 0;
    // Answers for LVM_GETITEMW that replace the list view's own, by item index.
    int UnreadableItem = -1;
    int OwnTextItem = -1;
    const wchar_t* OwnText = nullptr;
    int UnterminatedItem = -1;
};

LRESULT Observe(WindowProcHook& hook, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& seen = *static_cast<Observation*>(hook.Context());
    switch (message) {
    case WM_SETREDRAW:
    case LVM_GETNEXTITEM:
    case LVM_GETITEMSTATE:
    case LVM_GETITEMCOUNT:
    case LVM_GETTOPINDEX:
    case LVM_GETCOUNTPERPAGE:
        seen.Messages.push_back({message, wParam, lParam});
        break;
    case LVM_REDRAWITEMS:
        seen.Messages.push_back({message, wParam, lParam});
        seen.PathsAtRepaint = Entries(seen.Record->SelectedPaths);
        break;
    case WM_PAINT:
        ++seen.Paints;
        break;
    // Any way of writing or reading an item is recorded, so that an extra one shows.
    case LVM_SETITEMSTATE:
    case LVM_SETITEMA:
    case LVM_SETITEMW:
    case LVM_GETITEMA:
    case LVM_GETITEMW: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        SentMessage sent{message, wParam, lParam};
        sent.Item = message == LVM_SETITEMSTATE ? static_cast<int>(wParam) : item->iItem;
        sent.Mask = item->mask;
        sent.State = item->state;
        sent.StateMask = item->stateMask;
        sent.SubItem = item->iSubItem;
        sent.TextMax = item->cchTextMax;
        seen.Messages.push_back(sent);
        if (message != LVM_GETITEMW)
            break;
        if (item->iItem == seen.UnreadableItem)
            return FALSE;
        if (item->iItem == seen.OwnTextItem) {
            item->pszText = const_cast<wchar_t*>(seen.OwnText);
            return TRUE;
        }
        if (item->iItem == seen.UnterminatedItem) {
            std::fill(item->pszText, item->pszText + item->cchTextMax, L'x');
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return hook.CallOriginal(window, message, wParam, lParam);
}

// A record ready for one pass; the text fields hold what Initialize and the dialog set.
RunRecord MakeRecord(const char* patternLine, DWORD action, const std::wstring& folder) {
    RunRecord record;
    lstrcpynW(record.PatternLine, Wide(patternLine).c_str(), kRecordTextSize);
    lstrcpynW(record.SourceFolder, folder.c_str(), MAX_PATH);
    record.Action = action;
    record.PathBytesTotal = 0xDEADBEEF;
    return record;
}

DWORD BytesOf(const Paths& paths) {
    DWORD total = 0;
    for (const std::wstring& path : paths)
        total += static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    return total;
}

// Runs the pass on list with the observer attached.
Observation RunObserved(RunRecord& record, TestListView& list, const Observation& answers = {}) {
    Observation seen = answers;
    seen.Record = &record;
    WindowProcHook hook(list.ListView(), Observe, &seen);
    RunSelection(record, list.ListView());
    return seen;
}

// RunObserved with the n-th nothrow allocation of the pass failing.
Observation RunObservedFailing(RunRecord& record, TestListView& list, int failingAllocation) {
    FailNothrowAllocation(failingAllocation);
    const Observation seen = RunObserved(record, list);
    FailNothrowAllocation(0);
    return seen;
}

// 表 is 0x95 0x5C: its second byte is a backslash.
const char kOmoteTxt[] = "表.txt";

const std::vector<std::string> kLabels = {"a.txt", "b.doc",     "readme", "README.md",
                                          "c.TXT", "d.txt.bak", "folder", kOmoteTxt};

// A pattern line and the indexes of the items it selects.
struct SelectionRow {
    const char* label;
    const char* PatternLine;
    std::vector<int> Selected;
};

class SelectionRows : public testing::TestWithParam<SelectionRow> {};

TEST_P(SelectionRows, SelectsExactlyTheMatchesAndKeepsEveryOtherState) {
    const SelectionRow& row = GetParam();
    TestListView list(kLabels);
    for (int index : {1, 3, 6})
        list.SetState(index, LVIS_SELECTED, LVIS_SELECTED);
    list.SetState(5, LVIS_FOCUSED, LVIS_FOCUSED);
    list.SetState(2, LVIS_CUT, LVIS_CUT);
    list.SetState(4, LVIS_DROPHILITED, LVIS_DROPHILITED);
    std::vector<UINT> before;
    for (int index = 0; index < list.Count(); ++index)
        before.push_back(list.State(index) & ~LVIS_SELECTED);

    RunRecord record = MakeRecord(row.PatternLine, SelectOnly, L"C:\\dir");
    RunObserved(record, list);

    EXPECT_EQ(list.SelectedIndexes(), row.Selected);
    for (int index = 0; index < list.Count(); ++index)
        EXPECT_EQ(list.State(index) & ~LVIS_SELECTED, before[index]) << "item " << index;
    EXPECT_TRUE(list.State(5) & LVIS_FOCUSED);
    EXPECT_TRUE(Entries(record.SelectedPaths).empty());
    EXPECT_EQ(record.PathBytesTotal, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    PatternLines, SelectionRows,
    testing::Values(SelectionRow{"TxtInAnyCase", "*.txt", {0, 4, 7}},
                    SelectionRow{"ExtensionsAndName", "*.txt .doc readme", {0, 1, 2, 3, 4, 7}},
                    SelectionRow{"EmptyLineSelectsNothing", "", {}},
                    SelectionRow{"Star", "*", {0, 1, 2, 3, 4, 5, 6, 7}},
                    SelectionRow{"JapaneseLeadByte", "表*", {7}}),
    RowLabel());

// One read of text and state per item, in index order; a write only where the selection
// changes: a.txt stays selected, b.doc is deselected, c.txt selected, d.doc left alone.
TEST(SelectionPass, ReadsEachItemOnceAndWritesOnlyTheChangesThenRepaints) {
    TestListView list({"a.txt", "b.doc", "c.txt", "d.doc"});
    list.SetState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetState(1, LVIS_SELECTED, LVIS_SELECTED);
    RunRecord record = MakeRecord("*.txt", SelectOnly, L"C:\\dir");
    const Observation seen = RunObserved(record, list);

    // Drawing held back for the walk; each item's label and state read together as the item
    // stands, its state written only where it changes; the items in view repainted.
    std::vector<SentMessage> expected = {{WM_SETREDRAW, FALSE}, {LVM_GETITEMCOUNT}};
    for (int index = 0; index < 4; ++index) {
        SentMessage read{LVM_GETITEMW};
        read.Item = index;
        read.Mask = LVIF_TEXT | LVIF_STATE;
        read.SubItem = 0;
        read.TextMax = MAX_PATH + 1;
        expected.push_back(read);
        if (index == 1 || index == 2) {
            SentMessage write{LVM_SETITEMSTATE, static_cast<WPARAM>(index)};
            write.Item = index;
            write.State = index == 2 ? LVIS_SELECTED : 0;
            write.StateMask = LVIS_SELECTED;
            expected.push_back(write);
        }
    }
    expected.push_back({WM_SETREDRAW, TRUE});
    expected.push_back({LVM_GETITEMCOUNT});
    expected.push_back({LVM_GETTOPINDEX});
    expected.push_back({LVM_GETCOUNTPERPAGE});
    expected.push_back({LVM_REDRAWITEMS, 0, 3});

    ASSERT_EQ(seen.Messages.size(), expected.size());
    for (size_t at = 0; at < expected.size(); ++at) {
        const SentMessage& got = seen.Messages[at];
        const SentMessage& want = expected[at];
        EXPECT_EQ(got.Message, want.Message) << "message " << at;
        if (want.Message == WM_SETREDRAW) {
            EXPECT_EQ(got.WParam, want.WParam) << "message " << at;
        }
        if (want.Message == LVM_GETITEMSTATE || want.Message == LVM_REDRAWITEMS) {
            EXPECT_EQ(got.WParam, want.WParam) << "message " << at;
            EXPECT_EQ(got.LParam, want.LParam) << "message " << at;
        }
        if (want.Message == LVM_GETITEMW || want.Message == LVM_SETITEMSTATE) {
            EXPECT_EQ(got.Item, want.Item) << "message " << at;
        }
        if (want.Message == LVM_SETITEMSTATE) {
            EXPECT_EQ(got.StateMask, want.StateMask) << "message " << at;
        }
        if (want.Message == LVM_GETITEMW) {
            EXPECT_EQ(got.Mask, want.Mask) << "message " << at;
            EXPECT_EQ(got.SubItem, want.SubItem) << "message " << at;
            EXPECT_EQ(got.TextMax, want.TextMax) << "message " << at;
        }
        if (want.Message == LVM_SETITEMSTATE) {
            EXPECT_EQ(got.State, want.State) << "message " << at;
        }
    }
    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{0, 2}));
}

TEST(SelectionPass, EmptyListViewStillRepaints) {
    TestListView list;
    RunRecord record = MakeRecord("*", UsePrevious, L"C:\\dir");
    const Observation seen = RunObserved(record, list);
    ASSERT_EQ(seen.Messages.size(), 7u);
    EXPECT_EQ(seen.Messages[0].Message, static_cast<UINT>(WM_SETREDRAW));
    EXPECT_EQ(seen.Messages[6].Message, static_cast<UINT>(LVM_REDRAWITEMS));
    EXPECT_EQ(seen.Messages[6].LParam, -1);
    EXPECT_TRUE(seen.PathsAtRepaint.empty());
    EXPECT_EQ(record.PathBytesTotal, 0u);
}

// Kept selected by adding, an item whose label another item shares ("notes" shown for
// notes.txt beside a file notes) is not collected: its label could name the other file.
TEST(SelectionPass, AKeptItemWhoseLabelIsNotUniqueIsLeftOut) {
    TestListView list({"notes", "notes", "a.txt", "b.doc"});
    list.SetState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetState(3, LVIS_SELECTED, LVIS_SELECTED);
    RunRecord record = MakeRecord("*.txt", CopyToFolder, L"C:\\dir");
    record.Combine = AddToSelection;
    RunObserved(record, list);
    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(Entries(record.SelectedPaths), (Paths{L"C:\\dir\\a.txt", L"C:\\dir\\b.doc"}));
    EXPECT_EQ(Entries(record.UncollectedMatches), (Paths{L"notes"}));
}

struct CollectRow {
    const char* label;
    const wchar_t* Folder;
    const char* PatternLine;
    DWORD Action;
    Paths Paths;
};

class CollectRows : public testing::TestWithParam<CollectRow> {};

TEST_P(CollectRows, CollectsFullPathsInIndexOrderAndCountsTheirBytes) {
    const CollectRow& row = GetParam();
    TestListView list({"a.txt", "b.doc", "readme", kOmoteTxt, "folder"});
    RunRecord record = MakeRecord(row.PatternLine, row.Action, row.Folder);
    const Observation seen = RunObserved(record, list);
    EXPECT_EQ(seen.PathsAtRepaint, row.Paths);
    EXPECT_EQ(record.PathBytesTotal, BytesOf(row.Paths));
}

INSTANTIATE_TEST_SUITE_P(
    Actions, CollectRows,
    testing::Values(
        CollectRow{"SelectOnlyCollectsNothing", L"C:\\dir", "*", SelectOnly, {}},
        CollectRow{
            "Txt", L"C:\\dir", "*.txt", CopyToFolder, {L"C:\\dir\\a.txt", L"C:\\dir\\表.txt"}},
        CollectRow{"DriveRootGetsOneBackslash",
                   L"C:",
                   "readme .doc",
                   MoveToFolder,
                   {L"C:\\b.doc", L"C:\\readme"}},
        CollectRow{"FoldersAreItemsToo", L"C:\\dir", "folder", UsePrevious, {L"C:\\dir\\folder"}},
        CollectRow{"NoMatchLeavesTheListEmpty", L"C:\\dir", "*.xls", CopyToFolder, {}},
        CollectRow{
            "JapaneseFolderKeepsItsName", L"C:\\表", "*.doc", UsePrevious, {L"C:\\表\\b.doc"}}),
    RowLabel());

// Names that the ANSI calls read wrong: best fit made "café" "cafe" (one file collected
// twice), Hangul and an emoji "?", and "¥" the path separator (a path out of the folder).
// Each is now matched by its characters as the list view holds them and collected as it is.
const std::vector<std::wstring> kNamesOfEveryKind = {
    L"café.txt", L"cafe.txt", L"한글.txt", L"\U0001F600.txt", L"x¥..¥..¥Documents¥taxes.pdf",
    L"予定表",   L"t.pdf"};

class NameRows : public testing::TestWithParam<SelectionRow> {};

TEST_P(NameRows, AreMatchedByCharactersAndCollectedExactly) {
    const SelectionRow& row = GetParam();
    TestListView list;
    for (const std::wstring& name : kNamesOfEveryKind)
        list.AddItem(name);
    RunRecord record = MakeRecord(row.PatternLine, UsePrevious, L"C:\\w\\あ");
    Paths expected;
    for (int index : row.Selected)
        expected.push_back(L"C:\\w\\あ\\" + kNamesOfEveryKind[index]);
    const Observation seen = RunObserved(record, list);
    EXPECT_EQ(list.SelectedIndexes(), row.Selected);
    EXPECT_EQ(seen.PathsAtRepaint, expected);
    EXPECT_EQ(record.PathBytesTotal, BytesOf(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameRows,
    testing::Values(SelectionRow{"EveryTxt", "*.txt", {0, 1, 2, 3}},
                    SelectionRow{"AccentIsNotItsPlainLetter", "cafe.*", {1}},
                    SelectionRow{"QuestionIsOneCharacter", "caf?.txt ??.txt", {0, 1, 2}},
                    SelectionRow{"SurrogatePairIsOneCharacter", "?.txt", {3}},
                    SelectionRow{"YenSignIsNoSeparator", "*.pdf", {4, 6}},
                    SelectionRow{"NameEndingIn5C", "*表", {5}}),
    RowLabel());

TEST(SelectionPass, PathLongerThanMaxPathIsSelectedButNotCollected) {
    // 253 + "\" + "x.txt" is 259 bytes, the longest path that fits 260 with its terminator;
    // "yy.txt" makes it 260.
    const std::wstring folder = L"C:\\" + std::wstring(250, L'd');
    ASSERT_EQ(folder.size(), 253u);
    TestListView list({"x.txt", "yy.txt"});
    RunRecord record = MakeRecord("*.txt", UsePrevious, folder.c_str());
    const Observation seen = RunObserved(record, list);
    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{0, 1}));
    ASSERT_EQ(seen.PathsAtRepaint.size(), 1u);
    EXPECT_EQ(seen.PathsAtRepaint[0], folder + L"\\x.txt");
    EXPECT_EQ(seen.PathsAtRepaint[0].size(), 259u);
    EXPECT_EQ(record.PathBytesTotal, 260u * sizeof(wchar_t));
    EXPECT_EQ(Entries(record.UncollectedMatches), Paths{L"yy.txt"});
}

TEST(SelectionPass, UnreadableLabelIsTestedAsEmptyNotAsThePreviousOne) {
    TestListView list({"a.txt", "b.txt", "c.doc"});
    list.SetState(1, LVIS_SELECTED, LVIS_SELECTED);
    RunRecord record = MakeRecord("*.txt", UsePrevious, L"C:\\dir");
    Observation answers;
    answers.UnreadableItem = 1;
    const Observation seen = RunObserved(record, list, answers);
    EXPECT_EQ(list.SelectedIndexes(), std::vector<int>{0});
    EXPECT_EQ(seen.PathsAtRepaint, Paths{L"C:\\dir\\a.txt"});
}

TEST(SelectionPass, LabelAnsweredWithTheListViewsOwnTextIsHonoured) {
    TestListView list({"a.doc", "placeholder", "c.doc"});
    RunRecord record = MakeRecord("*.txt", UsePrevious, L"C:\\dir");
    Observation answers;
    answers.OwnTextItem = 1;
    answers.OwnText = L"own.txt";
    const Observation seen = RunObserved(record, list, answers);
    EXPECT_EQ(list.SelectedIndexes(), std::vector<int>{1});
    EXPECT_EQ(seen.PathsAtRepaint, Paths{L"C:\\dir\\own.txt"});
    EXPECT_EQ(record.PathBytesTotal, 15u * sizeof(wchar_t));
}

TEST(SelectionPass, LabelFillingTheWholeBufferIsCutNotOverrun) {
    TestListView list({"a.txt", "full", "c.txt"});
    RunRecord record = MakeRecord("x* *.txt", UsePrevious, L"C:");
    Observation answers;
    answers.UnterminatedItem = 1;
    const Observation seen = RunObserved(record, list, answers);
    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{0, 1, 2}));
    // "C:\" + 259 bytes would need 263: only the two short names are collected.
    EXPECT_EQ(seen.PathsAtRepaint, (Paths{L"C:\\a.txt", L"C:\\c.txt"}));
    // The record next to the buffer was not overwritten: every write reached its item.
    int writes = 0;
    for (const SentMessage& sent : seen.Messages)
        writes += sent.Message == LVM_SETITEMSTATE && sent.Item == writes ? 1 : 0;
    EXPECT_EQ(writes, 3);
}

// A section named "MyMap", as another process could make to reach the item record of a
// pass that used it, is neither used nor changed, and the pass works as usual.
TEST(SelectionPass, AForeignSectionNamedMyMapIsLeftUntouched) {
    SetLastError(ERROR_SUCCESS);
    HANDLE foreign =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "MyMap");
    ASSERT_NE(foreign, nullptr);
    auto* page = static_cast<unsigned char*>(MapViewOfFile(foreign, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(page, nullptr);
    std::memset(page, 0xAB, 4096);

    TestListView list({"a.txt", "b.doc", "c.txt"});
    RunRecord record = MakeRecord("*.txt", UsePrevious, L"C:\\dir");
    const Observation seen = RunObserved(record, list);

    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{0, 2}));
    EXPECT_EQ(seen.PathsAtRepaint, (Paths{L"C:\\dir\\a.txt", L"C:\\dir\\c.txt"}));
    EXPECT_EQ(std::count(page, page + 4096, 0xAB), 4096);
    UnmapViewOfFile(page);
    CloseHandle(foreign);
}

TEST(SelectionPass, PathThatCannotBeStoredEndsCollectingAndTheTotalDescribesTheList) {
    TestListView list({"a.txt", "b.txt", "c.txt"});
    RunRecord record = MakeRecord("*.txt", UsePrevious, L"C:\\dir");
    // The pass's memory, then the first path's node and copy; the second path's node fails.
    const Observation seen = RunObservedFailing(record, list, 4);
    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(seen.PathsAtRepaint, Paths{L"C:\\dir\\a.txt"});
    EXPECT_EQ(record.PathBytesTotal, BytesOf(seen.PathsAtRepaint));
    // Selected but not taken: the action's result names them.
    EXPECT_EQ(Entries(record.UncollectedMatches), (Paths{L"b.txt", L"c.txt"}));
    EXPECT_EQ(record.UncollectedCount, 2);
}

// Without memory for the pass's own the pass touches no item and repaints nothing.
TEST(SelectionPass, WithoutMemoryForThePassNothingIsTouched) {
    {
        TestListView list({"a.txt", "b.doc", "c.txt"});
        list.SetState(1, LVIS_SELECTED, LVIS_SELECTED);
        RunRecord record = MakeRecord("*.txt", CopyToFolder, L"C:\\dir");
        const Observation seen = RunObservedFailing(record, list, 1);
        for (const SentMessage& sent : seen.Messages) {
            EXPECT_NE(sent.Message, static_cast<UINT>(WM_SETREDRAW));
            EXPECT_NE(sent.Message, static_cast<UINT>(LVM_SETITEMSTATE));
        }
        EXPECT_EQ(list.SelectedIndexes(), std::vector<int>{1});
        EXPECT_TRUE(Entries(record.SelectedPaths).empty());
        EXPECT_EQ(record.PathBytesTotal, 0u);
    }
}

const SentMessage* FindMessage(const Observation& seen, UINT message) {
    for (const SentMessage& sent : seen.Messages) {
        if (sent.Message == message)
            return &sent;
    }
    return nullptr;
}

// The items in view are repainted, wherever the list is scrolled to.
TEST(SelectionPass, RepaintsTheItemsInViewAndLeavesNothingUnpainted) {
    std::vector<std::string> labels;
    for (int index = 0; index < 120; ++index)
        labels.push_back("item" + std::to_string(index) + (index % 2 == 0 ? ".txt" : ".doc"));
    TestListView list(labels);
    const int perPage = static_cast<int>(SendMessageA(list.ListView(), LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GT(perPage, 0);
    ASSERT_LT(perPage, 60);

    for (int scrollTo : {0, 80, 119}) {
        SendMessageA(list.ListView(), LVM_ENSUREVISIBLE, scrollTo, FALSE);
        const int top = static_cast<int>(SendMessageA(list.ListView(), LVM_GETTOPINDEX, 0, 0));
        RunRecord record = MakeRecord("*.txt", SelectOnly, L"C:\\dir");
        const Observation seen = RunObserved(record, list);
        const SentMessage* redraw = FindMessage(seen, LVM_REDRAWITEMS);
        ASSERT_NE(redraw, nullptr) << "scrolled to " << scrollTo;
        EXPECT_EQ(static_cast<int>(redraw->WParam), top) << "scrolled to " << scrollTo;
        EXPECT_EQ(static_cast<int>(redraw->LParam), std::min(top + perPage, 119))
            << "scrolled to " << scrollTo;
        EXPECT_GE(seen.Paints, 1) << "scrolled to " << scrollTo;
        EXPECT_EQ(list.SelectedIndexes().size(), 60u);
    }
}

} // namespace
