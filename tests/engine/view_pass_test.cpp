// The selection pass through Wine's real folder view: how items are selected, and which
// paths are collected. What a user sees of it (names with hidden extensions, the real paths,
// the focus, every action) is checked end to end in tests/e2e.
#include "engine/view_pass.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/modal_driver.h"
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

} // namespace
