// The selection pass through Wine's real folder view: how items are selected, and which
// paths are collected. What a user sees of it (names with hidden extensions, the real paths,
// the focus, every action) is checked end to end in tests/e2e.
#include "engine/view_pass.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "engine/selection_pass.h"
#include "tests/support/list_view_items.h"
#include "tests/support/modal_driver.h"
#include "tests/support/row_label.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wide_text.h"
#include "tests/support/shell_view.h"
#include "tests/support/string_list_entries.h"
#include "tests/support/test_list_view.h"

namespace {

class ViewPass : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

RunRecord MakeRecord(const char* patternLine, DWORD action) {
    RunRecord record;
    lstrcpynW(record.PatternLine, Wide(patternLine).c_str(), kRecordTextSize);
    record.Action = action;
    return record;
}

// The list view's redraw switches and item states, in the order the view sent them.
struct StateChange {
    UINT Message;
    WPARAM Which;
    UINT State;
    bool operator==(const StateChange& other) const {
        return Message == other.Message && Which == other.Which && State == other.State;
    }
};

LRESULT RecordStates(WindowProcHook& hook, HWND window, UINT message, WPARAM wParam,
                     LPARAM lParam) {
    auto& seen = *static_cast<std::vector<StateChange>*>(hook.Context());
    if (message == WM_SETREDRAW)
        seen.push_back({message, wParam, 0});
    if (message == LVM_SETITEMSTATE)
        seen.push_back({message, wParam, reinterpret_cast<LVITEMW*>(lParam)->state});
    return hook.CallOriginal(window, message, wParam, lParam);
}

TEST_F(ViewPass, SetsEachItemOnceByIndexWhileRepaintIsHeldOff) {
    ScratchFolder folder("vestrane-view");
    for (const char* name : {"a.txt", "b.doc", "c.txt"})
        ASSERT_TRUE(folder.WriteFile(name));
    ShellViewHost host(folder.Path(), ViewHosting::BrowserControl);
    ASSERT_TRUE(host.Valid());
    // Selected before: b.doc, which does not match; the focus is on a.txt, which does.
    host.Select("b.doc");
    host.View().Items()->SelectItem(0, SVSI_FOCUSED);

    std::vector<StateChange> seen;
    RunRecord record = MakeRecord("*.txt", SelectOnly);
    {
        WindowProcHook hook(host.ListView(), RecordStates, &seen);
        RunViewSelection(record, host.View().Items());
    }
    const std::vector<StateChange> expected = {{WM_SETREDRAW, FALSE, 0},
                                               {LVM_SETITEMSTATE, 0, LVIS_SELECTED},
                                               {LVM_SETITEMSTATE, 1, 0},
                                               {LVM_SETITEMSTATE, 2, LVIS_SELECTED},
                                               {WM_SETREDRAW, TRUE, 0}};
    EXPECT_EQ(seen, expected);
}

TEST_F(ViewPass, VirtualItemsAreSelectedButOnlyFileSystemItemsCollected) {
    // The desktop shows virtual items (the computer, the recycle bin) beside folders.
    ShellViewHost host("", ViewHosting::BrowserControl);
    ASSERT_TRUE(host.Valid());
    IFolderView* view = host.View().Items();
    IShellFolder* folder = host.View().Folder();
    int count = 0;
    ASSERT_EQ(view->ItemCount(SVGIO_ALLVIEW, &count), S_OK);
    std::vector<std::wstring> fileSystemPaths;
    int virtualItems = 0;
    for (int index = 0; index < count; ++index) {
        PITEMID_CHILD child = nullptr;
        ASSERT_EQ(view->Item(index, &child), S_OK);
        SFGAOF attributes = SFGAO_FILESYSTEM;
        folder->GetAttributesOf(1, const_cast<LPCITEMIDLIST*>(&child), &attributes);
        STRRET text = {};
        wchar_t path[MAX_PATH] = {};
        folder->GetDisplayNameOf(child, SHGDN_FORPARSING, &text);
        StrRetToBufW(&text, child, path, MAX_PATH);
        if (attributes & SFGAO_FILESYSTEM)
            fileSystemPaths.push_back(path);
        else
            ++virtualItems;
        CoTaskMemFree(child);
    }
    ASSERT_GT(virtualItems, 0) << "the desktop of this prefix shows no virtual item";

    // The paths as the action finds them, and the window that owns the action.
    RunRecord record = MakeRecord("*", CopyToFolder);
    EXPECT_EQ(RunViewSelection(record, view), host.ViewWindow());
    EXPECT_EQ(Entries(record.SelectedPaths), fileSystemPaths);
    EXPECT_EQ(record.UncollectedCount, virtualItems);
    EXPECT_EQ(SendMessageW(host.ListView(), LVM_GETSELECTEDCOUNT, 0, 0), count);
}

// One course of the pass: through the view or through its list view, replacing, adding to or
// taking from the selection, by the line or by the clipboard's names standing in for it. The
// folder holds a.txt, b.doc, c.txt, "my file.txt" and readme.md; b.doc and c.txt are selected
// before. The paths collected for the action are those of the selection the pass leaves.
struct CourseRow {
    const char* label;
    bool ThroughListView;
    DWORD Combine;
    const char* Line;
    const wchar_t* ClipboardText; // null: the line decides
    std::vector<std::wstring> Selected;
    int NotFound;
};

class Courses : public ViewPass, public testing::WithParamInterface<CourseRow> {};

TEST_P(Courses, LeaveTheSelectionAndThePathsOfTheirCombining) {
    const CourseRow& row = GetParam();
    ScratchFolder folder("vestrane-course");
    for (const char* name : {"a.txt", "b.doc", "c.txt", "my file.txt", "readme.md"})
        ASSERT_TRUE(folder.WriteFile(name));
    ShellViewHost host(folder.Path(), ViewHosting::BrowserControl);
    ASSERT_TRUE(host.Valid());
    SelectItems(host.ListView(),
                {IndexOfLabel(host.ListView(), "b.doc"), IndexOfLabel(host.ListView(), "c.txt")});
    RunRecord record = MakeRecord(row.Line, CopyToFolder);
    record.Combine = row.Combine;
    lstrcpynW(record.SourceFolder, folder.WidePath().c_str(), MAX_PATH);
    if (row.ClipboardText != nullptr) {
        record.ClipboardNames.reset(new NameList);
        ASSERT_TRUE(record.ClipboardNames->Read(row.ClipboardText, wcslen(row.ClipboardText)));
    }
    if (row.ThroughListView)
        RunSelection(record, host.ListView());
    else
        RunViewSelection(record, host.View().Items());

    std::vector<std::wstring> selected = SelectedLabelsW(host.ListView());
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(selected, row.Selected);
    std::vector<std::wstring> paths;
    for (const std::wstring& name : row.Selected)
        paths.push_back(folder.WidePath() + L"\\" + name);
    std::vector<std::wstring> collected = Entries(record.SelectedPaths);
    std::sort(collected.begin(), collected.end());
    EXPECT_EQ(collected, paths);
    if (record.ClipboardNames) {
        EXPECT_EQ(record.ClipboardNames->NotFound(), static_cast<std::size_t>(row.NotFound));
    }
}

const CourseRow kCourses[] = {
    {"ViewReplaces",
     false,
     ReplaceSelection,
     "*.txt",
     nullptr,
     {L"a.txt", L"c.txt", L"my file.txt"},
     0},
    {"ViewAdds",
     false,
     AddToSelection,
     "*.txt",
     nullptr,
     {L"a.txt", L"b.doc", L"c.txt", L"my file.txt"},
     0},
    {"ViewRemoves", false, RemoveFromSelection, "*.txt", nullptr, {L"b.doc"}, 0},
    {"ListViewAddsQuoted",
     true,
     AddToSelection,
     "\"my file.txt\"",
     nullptr,
     {L"b.doc", L"c.txt", L"my file.txt"},
     0},
    {"ListViewRemoves", true, RemoveFromSelection, "*.doc", nullptr, {L"c.txt"}, 0},
    {"ViewNamesReplace",
     false,
     ReplaceSelection,
     "*",
     L"a.txt\r\nREADME\r\n\r\nnone\r\n",
     {L"a.txt", L"readme.md"},
     1},
    {"ListViewNamesAdd",
     true,
     AddToSelection,
     "",
     L"\"my file.txt\"\tsize\n*.doc",
     {L"b.doc", L"c.txt", L"my file.txt"},
     0},
    {"ViewNamesRemove", false, RemoveFromSelection, "", L"c.txt\nnothing", {L"b.doc"}, 1},
};

INSTANTIATE_TEST_SUITE_P(Combining, Courses, testing::ValuesIn(kCourses), RowLabel());

} // namespace
