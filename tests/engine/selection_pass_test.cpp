// The selection pass against a real SysListView32: which items end up selected, what else
// stays untouched, which paths are collected, and how the shared item page is used.
#include "engine/selection_pass.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/import_patch.h"
#include "tests/support/modal_driver.h"
#include "tests/support/nothrow_failure.h"
#include "tests/support/process_lock.h"
#include "tests/support/row_label.h"
#include "tests/support/string_list_entries.h"
#include "tests/support/test_list_view.h"
#include "tests/support/wide_text.h"

namespace {

using Paths = std::vector<std::wstring>;

// Keeps test processes that create or look for "MyMap" from running side by side.
class PageNameLock : public ProcessLock {
public:
    PageNameLock() : ProcessLock(kSelectionPageName) {}
};

// Makes an object under the page's name with `create`, once the name is free: a pass in
// another test process (these run side by side) holds it while that pass runs. Null when
// the name stays taken.
template <typename Create> HANDLE TakeThePageName(Create create) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        SetLastError(ERROR_SUCCESS);
        HANDLE object = create();
        if (object != nullptr && GetLastError() != ERROR_ALREADY_EXISTS)
            return object;
        if (object != nullptr)
            CloseHandle(object);
        Sleep(10);
    }
    return nullptr;
}

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
    std::ptrdiff_t TextToItem = 0;
    bool TextPageAligned = false;
};

struct Observation {
    RunRecord* Record = nullptr;
    std::vector<SentMessage> Messages;
    // SelectedPaths as it stood when the repaint was asked for.
    Paths PathsAtRepaint;
    bool PageNamedMyMap = false;
    int FocusMessages = 0;
    int Paints = 0;
    // Dialogs (such as a folder browser) that appeared during the pass; each is cancelled.
    int Dialogs = 0;
    // Answers for LVM_GETITEMW that replace the list view's own, by item index.
    int UnreadableItem = -1;
    int OwnTextItem = -1;
    const wchar_t* OwnText = nullptr;
    int UnterminatedItem = -1;
};

// True when the mapping named "MyMap" shows the same item record as the pass's page.
bool ItemIsInNamedPage(const LVITEMW* item, const char* pageStart) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kSelectionPageName);
    if (mapping == nullptr)
        return false;
    const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    bool same = false;
    if (view != nullptr) {
        const auto* named = reinterpret_cast<const LVITEMW*>(
            view + (reinterpret_cast<const char*>(item) - pageStart));
        same = named->iItem == item->iItem && named->mask == item->mask;
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return same;
}

LRESULT Observe(WindowProcHook& hook, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& seen = *static_cast<Observation*>(hook.Context());
    switch (message) {
    case LVM_GETNEXTITEM:
    case LVM_GETITEMCOUNT:
    case LVM_GETTOPINDEX:
    case LVM_GETCOUNTPERPAGE:
        seen.Messages.push_back({message, wParam, lParam});
        break;
    case LVM_REDRAWITEMS:
        seen.Messages.push_back({message, wParam, lParam});
        if (seen.Record->SelectedPaths != nullptr)
            seen.PathsAtRepaint = Entries(*seen.Record->SelectedPaths);
        break;
    case WM_SETFOCUS:
        ++seen.FocusMessages;
        break;
    case WM_PAINT:
        ++seen.Paints;
        break;
    case LVM_GETITEMW:
    case LVM_SETITEMW: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        SentMessage sent{message, wParam, lParam};
        sent.Item = item->iItem;
        sent.Mask = item->mask;
        sent.State = item->state;
        sent.StateMask = item->stateMask;
        sent.SubItem = item->iSubItem;
        sent.TextMax = item->cchTextMax;
        sent.TextToItem = reinterpret_cast<char*>(item) - reinterpret_cast<char*>(item->pszText);
        sent.TextPageAligned = reinterpret_cast<std::uintptr_t>(item->pszText) % 4096 == 0;
        seen.Messages.push_back(sent);
        if (message == LVM_GETITEMW && item->iItem == 0)
            seen.PageNamedMyMap =
                ItemIsInNamedPage(item, reinterpret_cast<const char*>(item->pszText));
        if (message == LVM_GETITEMW && item->iItem == seen.UnreadableItem)
            return FALSE;
        if (message == LVM_GETITEMW && item->iItem == seen.OwnTextItem) {
            item->pszText = const_cast<wchar_t*>(seen.OwnText);
            return TRUE;
        }
        if (message == LVM_GETITEMW && item->iItem == seen.UnterminatedItem) {
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
    lstrcpynA(record.PatternLine, patternLine, sizeof record.PatternLine);
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

// Runs the pass on list with the observer attached and a driver that cancels any window an
// action might open.
Observation RunObserved(RunRecord& record, TestListView& list, const Observation& answers = {}) {
    PageNameLock lock;
    Observation seen = answers;
    seen.Record = &record;
    SetFocus(list.Host());
    ModalDriver cancel([&seen](HWND window) {
        ++seen.Dialogs;
        ClickButton(window, IDCANCEL);
    });
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
const char kOmoteTxt[] = "\x95\x5C.txt";

const std::vector<std::string> kLabels = {"a.txt", "b.doc",     "readme", "README.md",
                                          "c.TXT", "d.txt.bak", "folder", kOmoteTxt};

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
    EXPECT_EQ(record.SelectedPaths, nullptr);
    EXPECT_EQ(record.PathBytesTotal, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    PatternLines, SelectionRows,
    testing::Values(SelectionRow{"TxtInAnyCase", "*.txt", {0, 4, 7}},
                    SelectionRow{"ExtensionsAndName", "*.txt .doc readme", {0, 1, 2, 3, 4, 7}},
                    SelectionRow{"EmptyLineSelectsNothing", "", {}},
                    SelectionRow{"NoMatch", "*.xls", {}},
                    SelectionRow{"Star", "*", {0, 1, 2, 3, 4, 5, 6, 7}},
                    SelectionRow{"QuestionMark", "?.doc", {1}},
                    SelectionRow{"NamesWithoutDot", "*.", {2, 6}},
                    SelectionRow{"JapaneseLeadByte", "\x95\x5C*", {7}}),
    RowLabel());

TEST(SelectionPass, SendsEachItemOneReadAndOneWriteInIndexOrderThenRepaints) {
    PageNameLock lock;
    TestListView list({"a.txt", "b.doc", "c.txt"});
    RunRecord record = MakeRecord("*.txt", SelectOnly, L"C:\\dir");
    const Observation seen = RunObserved(record, list);

    const auto& m = seen.Messages;
    ASSERT_EQ(m.size(), 3u * 3 + 1 + 4);
    for (int index = 0; index < 3; ++index) {
        const SentMessage& next = m[index * 3];
        EXPECT_EQ(next.Message, static_cast<UINT>(LVM_GETNEXTITEM));
        EXPECT_EQ(static_cast<int>(next.WParam), index - 1);
        EXPECT_EQ(next.LParam, LVNI_ALL);

        const SentMessage& read = m[index * 3 + 1];
        EXPECT_EQ(read.Message, static_cast<UINT>(LVM_GETITEMW));
        EXPECT_EQ(read.Item, index);
        EXPECT_EQ(read.Mask, static_cast<UINT>(LVIF_TEXT));
        EXPECT_EQ(read.SubItem, 0);
        EXPECT_EQ(read.TextMax, 260);
        // The text buffer opens the page; the record follows at its natural alignment.
        EXPECT_TRUE(read.TextPageAligned);
        EXPECT_EQ(read.TextToItem, static_cast<std::ptrdiff_t>(260 * sizeof(wchar_t)));

        const SentMessage& write = m[index * 3 + 2];
        EXPECT_EQ(write.Message, static_cast<UINT>(LVM_SETITEMW));
        EXPECT_EQ(write.Item, index);
        EXPECT_EQ(write.Mask, static_cast<UINT>(LVIF_STATE));
        EXPECT_EQ(write.StateMask, static_cast<UINT>(LVIS_SELECTED));
        EXPECT_EQ(write.State, index == 1 ? 0u : static_cast<UINT>(LVIS_SELECTED));
    }
    EXPECT_EQ(m[9].Message, static_cast<UINT>(LVM_GETNEXTITEM));
    EXPECT_EQ(static_cast<int>(m[9].WParam), 2);
    EXPECT_EQ(m[10].Message, static_cast<UINT>(LVM_GETITEMCOUNT));
    EXPECT_EQ(m[11].Message, static_cast<UINT>(LVM_GETTOPINDEX));
    EXPECT_EQ(m[12].Message, static_cast<UINT>(LVM_GETCOUNTPERPAGE));
    EXPECT_EQ(m[13].Message, static_cast<UINT>(LVM_REDRAWITEMS));
    EXPECT_EQ(m[13].WParam, 0u);
    EXPECT_EQ(m[13].LParam, 2);
    EXPECT_TRUE(seen.PageNamedMyMap);
    // The page exists only during the pass.
    HANDLE after = OpenFileMappingA(FILE_MAP_READ, FALSE, kSelectionPageName);
    EXPECT_EQ(after, nullptr);
    if (after != nullptr)
        CloseHandle(after);
}

TEST(SelectionPass, GivesTheListViewTheFocusWhateverTheAction) {
    for (DWORD action : {SelectOnly, UsePrevious, CopyToFolder, MoveToFolder}) {
        TestListView list({"a.txt", "b.doc"});
        HWND other = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                     list.Host(), nullptr, nullptr, nullptr);
        SetFocus(other);
        ASSERT_EQ(GetFocus(), other);
        RunRecord record = MakeRecord("*.doc", action, L"C:\\dir");
        const Observation seen = RunObserved(record, list);
        EXPECT_EQ(GetFocus(), list.ListView()) << "action " << action;
        EXPECT_EQ(seen.FocusMessages, 1) << "action " << action;
        EXPECT_EQ(list.SelectedIndexes(), std::vector<int>{1}) << "action " << action;
    }
}

TEST(SelectionPass, EmptyListViewStillRepaintsAndTakesFocus) {
    TestListView list;
    RunRecord record = MakeRecord("*", UsePrevious, L"C:\\dir");
    const Observation seen = RunObserved(record, list);
    ASSERT_EQ(seen.Messages.size(), 5u);
    EXPECT_EQ(seen.Messages[0].Message, static_cast<UINT>(LVM_GETNEXTITEM));
    EXPECT_EQ(seen.Messages[4].Message, static_cast<UINT>(LVM_REDRAWITEMS));
    EXPECT_EQ(seen.Messages[4].LParam, -1);
    EXPECT_EQ(seen.FocusMessages, 1);
    EXPECT_TRUE(seen.PathsAtRepaint.empty());
    EXPECT_EQ(record.PathBytesTotal, 0u);
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
    // The list lives for the pass only.
    EXPECT_EQ(record.SelectedPaths, nullptr);
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
    // The item record behind the buffer was not overwritten: every write reached its item.
    int writes = 0;
    for (const SentMessage& sent : seen.Messages)
        writes += sent.Message == LVM_SETITEMW ? 1 : 0;
    EXPECT_EQ(writes, 3);
}

// Another pass (here: the test) holding "MyMap" keeps its page to itself.
TEST(SelectionPass, NameAlreadyTakenByAnotherPageUsesAPageOfItsOwn) {
    PageNameLock lock;
    HANDLE taken = TakeThePageName([] {
        return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                  kSelectionPageName);
    });
    ASSERT_NE(taken, nullptr);
    auto* page = static_cast<unsigned char*>(MapViewOfFile(taken, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(page, nullptr);
    std::memset(page, 0xAB, 4096);

    TestListView list({"a.txt", "b.doc", "c.txt"});
    RunRecord record = MakeRecord("*.txt", UsePrevious, L"C:\\dir");
    const Observation seen = RunObserved(record, list);

    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{0, 2}));
    EXPECT_EQ(seen.PathsAtRepaint, (Paths{L"C:\\dir\\a.txt", L"C:\\dir\\c.txt"}));
    int untouched = 0;
    for (int offset = 0; offset < 4096; ++offset)
        untouched += page[offset] == 0xAB ? 1 : 0;
    EXPECT_EQ(untouched, 4096);
    UnmapViewOfFile(page);
    CloseHandle(taken);
}

TEST(SelectionPass, NameTakenByAnotherKindOfObjectStillRunsThePass) {
    PageNameLock lock;
    HANDLE event =
        TakeThePageName([] { return CreateEventA(nullptr, TRUE, FALSE, kSelectionPageName); });
    ASSERT_NE(event, nullptr);
    TestListView list({"a.txt", "b.doc"});
    RunRecord record = MakeRecord("*.doc", SelectOnly, L"C:\\dir");
    RunObserved(record, list);
    EXPECT_EQ(list.SelectedIndexes(), std::vector<int>{1});
    CloseHandle(event);
}

TEST(SelectionPass, WithoutMemoryForThePathListItSelectsButCollectsNothingAndSkipsTheAction) {
    TestListView list({"a.txt", "b.doc", "c.txt"});
    RunRecord record = MakeRecord("*.txt", CopyToFolder, L"C:\\dir");
    const Observation seen = RunObservedFailing(record, list, 1);
    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{0, 2}));
    EXPECT_TRUE(seen.PathsAtRepaint.empty());
    EXPECT_EQ(record.PathBytesTotal, 0u);
    EXPECT_EQ(record.SelectedPaths, nullptr);
    EXPECT_EQ(seen.Dialogs, 0);
    EXPECT_EQ(GetFocus(), list.ListView());
}

TEST(SelectionPass, PathThatCannotBeStoredEndsCollectingAndTheTotalDescribesTheList) {
    TestListView list({"a.txt", "b.txt", "c.txt"});
    RunRecord record = MakeRecord("*.txt", UsePrevious, L"C:\\dir");
    // The list itself, then the first path's node and copy; the second path's node fails.
    const Observation seen = RunObservedFailing(record, list, 4);
    EXPECT_EQ(list.SelectedIndexes(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(seen.PathsAtRepaint, Paths{L"C:\\dir\\a.txt"});
    EXPECT_EQ(record.PathBytesTotal, BytesOf(seen.PathsAtRepaint));
}

HANDLE WINAPI NoMapping(HANDLE, LPSECURITY_ATTRIBUTES, DWORD, DWORD, DWORD, LPCSTR) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

LPVOID WINAPI NoView(HANDLE, DWORD, DWORD, DWORD, SIZE_T) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// Without a page the pass touches nothing: no item, no repaint, no action, no focus.
void ExpectUntouched(const Observation& seen, const TestListView& list, const RunRecord& record) {
    EXPECT_TRUE(seen.Messages.empty());
    EXPECT_EQ(seen.FocusMessages, 0);
    EXPECT_EQ(seen.Dialogs, 0);
    EXPECT_EQ(list.SelectedIndexes(), std::vector<int>{1});
    EXPECT_EQ(record.SelectedPaths, nullptr);
    EXPECT_EQ(record.PathBytesTotal, 0u);
}

TEST(SelectionPass, MappingThatCannotBeCreatedEndsThePassAtOnce) {
    PageNameLock lock;
    TestListView list({"a.txt", "b.doc", "c.txt"});
    list.SetState(1, LVIS_SELECTED, LVIS_SELECTED);
    RunRecord record = MakeRecord("*.txt", CopyToFolder, L"C:\\dir");
    ImportPatch patch("KERNEL32.dll", "CreateFileMappingA", reinterpret_cast<void*>(&NoMapping));
    ASSERT_TRUE(patch.Active());
    const Observation seen = RunObserved(record, list);
    ExpectUntouched(seen, list, record);
}

TEST(SelectionPass, ViewThatCannotBeMappedEndsThePassLikeAMissingMapping) {
    PageNameLock lock;
    TestListView list({"a.txt", "b.doc", "c.txt"});
    list.SetState(1, LVIS_SELECTED, LVIS_SELECTED);
    RunRecord record = MakeRecord("*.txt", CopyToFolder, L"C:\\dir");
    Observation seen;
    {
        ImportPatch patch("KERNEL32.dll", "MapViewOfFile", reinterpret_cast<void*>(&NoView));
        ASSERT_TRUE(patch.Active());
        seen = RunObserved(record, list);
    }
    ExpectUntouched(seen, list, record);
    // The mapping was closed again.
    HANDLE left = OpenFileMappingA(FILE_MAP_READ, FALSE, kSelectionPageName);
    EXPECT_EQ(left, nullptr);
    if (left != nullptr)
        CloseHandle(left);
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
