// One whole command run through the built Vestrane.dll, as Explorer makes it: a folder
// shown in Wine's own shell view, the extension created through the DLL's class factory
// and initialised with the shell's data object for a selected file, its menu entry added,
// the command invoked, the selection dialog answered, and then the list view's selection
// and the stored history checked. A second run offers the history that the first saved.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/shared_facts.h"
#include "shellext/resource.h"
#include "tests/shellext/built_dll.h"
#include "tests/support/list_view_items.h"
#include "tests/support/modal_driver.h"
#include "tests/support/registry_key_guard.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/shell_view.h"

namespace {

// What the selection dialog showed, and how the test answered it.
struct DialogVisit {
    std::string Caption;
    std::string InitialText;
    std::vector<std::string> History;
};

DialogVisit Visit(HWND dialog) {
    DialogVisit visit;
    visit.Caption = WindowTextA(dialog);
    HWND combo = GetDlgItem(dialog, IDC_PATTERN_COMBO);
    visit.InitialText = WindowTextA(combo);
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        char item[MAX_PATH * 2] = {};
        if (SendMessageA(combo, CB_GETLBTEXTLEN, index, 0) < static_cast<LRESULT>(sizeof item))
            SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item));
        visit.History.push_back(item);
    }
    return visit;
}

TEST(CommandRun, FromInvokeCommandToAChangedSelectionAndSavedHistory) {
    RegistryKeyGuard settings(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        BuiltDll dll;
        ASSERT_TRUE(dll.Loaded()) << BuiltDllPath();
        ScratchFolder scratch("vestrane-shell");
        const std::vector<std::string> names = {"a.txt",  "b.doc",         "c.txt",
                                                "readme", "notes.TXT.bak", "\x95\x5C.txt"};
        for (const std::string& name : names)
            ASSERT_TRUE(scratch.WriteFile(name)) << name;
        ASSERT_TRUE(scratch.AddFolder("sub"));
        ShellViewHost host(scratch.Path());
        ASSERT_TRUE(host.Valid());
        HWND listView = host.ListView();
        ASSERT_EQ(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0),
                  static_cast<LRESULT>(names.size() + 1));
        // What the user selected before opening the menu: the file the menu is for.
        const int docIndex = host.Select("b.doc");
        ASSERT_GE(docIndex, 0);
        IContextMenu* menu = dll.OpenMenuFor(host.Folder(), "b.doc");
        ASSERT_NE(menu, nullptr);

        std::vector<DialogVisit> visits;
        {
            ModalDriver answer([&visits](HWND dialog) {
                visits.push_back(Visit(dialog));
                SetDlgItemTextA(dialog, IDC_PATTERN_COMBO, "*.txt readme");
                ClickButton(dialog, IDC_SELECT_ONLY);
                ClickButton(dialog, IDOK);
            });
            EXPECT_EQ(InvokeEntry(menu, host.Host()), S_OK);
        }
        ASSERT_EQ(visits.size(), 1u);
        // No history yet: the dialog starts from the selected file's extension.
        EXPECT_EQ(visits[0].InitialText, "*.doc");
        EXPECT_TRUE(visits[0].History.empty());

        std::vector<std::string> expected = {"a.txt", "c.txt", "readme", "\x95\x5C.txt"};
        std::vector<std::string> selected = SelectedLabels(listView);
        std::sort(selected.begin(), selected.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(selected, expected);
        // Only the selection changed: the focus stays on the file the menu was opened for.
        EXPECT_EQ(SendMessageA(listView, LVM_GETITEMSTATE, docIndex, LVIS_FOCUSED), LVIS_FOCUSED);
        EXPECT_EQ(GetFocus(), listView);

        EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, kFlagValue).Data,
                  DwordBytes(SelectOnly));

        // The second run offers the line that the first one saved; cancelling it changes
        // nothing.
        {
            ModalDriver cancel([&visits](HWND dialog) {
                visits.push_back(Visit(dialog));
                ClickButton(dialog, IDCANCEL);
            });
            EXPECT_EQ(InvokeEntry(menu, host.Host()), S_OK);
        }
        ASSERT_EQ(visits.size(), 2u);
        ASSERT_FALSE(visits[1].History.empty());
        EXPECT_EQ(visits[1].History[0], "*.txt readme");
        std::vector<std::string> after = SelectedLabels(listView);
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, expected);

        EXPECT_EQ(menu->Release(), 0u);
        EXPECT_EQ(dll.CanUnloadNow(), S_OK);
    }
    OleUninitialize();
}

} // namespace
