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
#include "tests/support/list_view_items.h"
#include "tests/support/modal_driver.h"
#include "tests/support/registry_key_guard.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/shell_view.h"

namespace {

std::string DllPath() {
    std::string path = std::string("Z:") + VESTRANE_DLL_PATH;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

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
    HMODULE module = LoadLibraryA(DllPath().c_str());
    ASSERT_NE(module, nullptr);
    auto getClassObject = reinterpret_cast<GetClassObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    auto canUnloadNow = reinterpret_cast<CanUnloadNowFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnloadNow, nullptr);
    {
        ScratchFolder scratch("vestrane-shell");
        const std::vector<std::string> names = {"a.txt",  "b.doc",         "c.txt",
                                                "readme", "notes.TXT.bak", "\x95\x5C.txt"};
        for (const std::string& name : names)
            ASSERT_TRUE(scratch.WriteFile(name)) << name;
        ASSERT_TRUE(scratch.AddFolder("sub"));
        ShellViewHost host(scratch.Path());
        ASSERT_TRUE(host.Valid());
        HWND listView = host.ListView();
        ASSERT_NE(listView, nullptr);
        ASSERT_EQ(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0),
                  static_cast<LRESULT>(names.size() + 1));
        // What the user selected before opening the menu: the file the menu is for.
        const int docIndex = IndexOfLabel(listView, "b.doc");
        ASSERT_GE(docIndex, 0);
        LVITEMA state = {};
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(listView, LVM_SETITEMSTATE, docIndex, reinterpret_cast<LPARAM>(&state));

        IClassFactory* factory = nullptr;
        ASSERT_EQ(
            getClassObject(kVestraneClassId, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
            S_OK);
        IShellExtInit* init = nullptr;
        ASSERT_EQ(
            factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)),
            S_OK);
        factory->Release();
        IDataObject* data = ShellDataObject(host.Folder(), {"b.doc"});
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(init->Initialize(nullptr, data, nullptr), S_OK);
        data->Release();
        IContextMenu* menu = nullptr;
        ASSERT_EQ(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
        HMENU popup = CreatePopupMenu();
        ASSERT_EQ(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL), 1);
        ASSERT_EQ(GetMenuItemCount(popup), 1);
        DestroyMenu(popup);

        std::vector<DialogVisit> visits;
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.hwnd = host.Host();
        info.lpVerb = MAKEINTRESOURCEA(0);
        info.nShow = SW_SHOWNORMAL;
        {
            ModalDriver answer([&visits](HWND dialog) {
                visits.push_back(Visit(dialog));
                SetDlgItemTextA(dialog, IDC_PATTERN_COMBO, "*.txt readme");
                ClickButton(dialog, IDC_SELECT_ONLY);
                ClickButton(dialog, IDOK);
            });
            EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
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

        const auto h0 = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "h0");
        ASSERT_TRUE(h0.has_value());
        EXPECT_EQ(h0->Type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(std::string(h0->Data.c_str()), "*.txt readme");
        const auto flag = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "flag");
        ASSERT_TRUE(flag.has_value());
        EXPECT_EQ(flag->Data, std::string(4, '\0'));

        // The second run offers the line that the first one saved; cancelling it changes
        // nothing.
        {
            ModalDriver cancel([&visits](HWND dialog) {
                visits.push_back(Visit(dialog));
                ClickButton(dialog, IDCANCEL);
            });
            EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
        }
        ASSERT_EQ(visits.size(), 2u);
        ASSERT_FALSE(visits[1].History.empty());
        EXPECT_EQ(visits[1].History[0], "*.txt readme");
        std::vector<std::string> after = SelectedLabels(listView);
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, expected);

        menu->Release();
        EXPECT_EQ(init->Release(), 0u);
        EXPECT_EQ(canUnloadNow(), S_OK);
    }
    FreeLibrary(module);
    OleUninitialize();
}

} // namespace
