// The whole command through the built Vestrane.dll, ending in each of the five actions: a
// folder of real files shown in Wine's own shell view, the extension made by the DLL's class
// factory and initialised with the shell's data object, InvokeCommand from the host window,
// the selection dialog answered, then the folder browser and the closing message where the
// action has them. Checked: the list view's selection, the clipboard's bytes as a paste
// would find them, and the files copied or moved.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/shared_facts.h"
#include "engine/folder_transfer.h"
#include "shellext/resource.h"
#include "tests/shellext/built_dll.h"
#include "tests/support/clipboard_reader.h"
#include "tests/support/folder_browser.h"
#include "tests/support/list_view_items.h"
#include "tests/support/modal_driver.h"
#include "tests/support/process_lock.h"
#include "tests/support/registry_key_guard.h"
#include "tests/support/row_label.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wide_text.h"
#include "tests/support/shell_view.h"

namespace {

const char kPatternLine[] = "*.txt readme sub";
// 表.txt: a name whose second byte is a backslash.
const std::string kHyouName = "\x95\x5C.txt";
std::string ResultText(int count, const char* verb) {
    char text[MAX_PATH];
    wsprintfA(text, kResultFormat, count, verb);
    return text;
}

struct ActionCase {
    const char* label;
    DWORD Action;
    int Radio;
};
// What the modal windows of one run showed.
struct RunWindows {
    int Dialogs = 0;
    std::vector<HWND> BrowserOwners;
    std::vector<std::vector<std::string>> BrowserSelections;
    std::vector<CapturedMessageBox> Boxes;
};

class CommandActions : public ::testing::TestWithParam<ActionCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        oleStarted_ = true;
        dll_ = std::make_unique<BuiltDll>();
        ASSERT_TRUE(dll_->Loaded()) << BuiltDllPath();
    }

    void TearDown() override {
        dll_.reset();
        if (oleStarted_)
            OleUninitialize();
    }

    bool oleStarted_ = false;
    std::unique_ptr<BuiltDll> dll_;
};

TEST_P(CommandActions, FromInvokeCommandToTheActionsResult) {
    const ActionCase& row = GetParam();
    RegistryKeyGuard settings(HKEY_CURRENT_USER, kSettingsKey);
    // Other test programs of this prefix use the clipboard too.
    ProcessLock clipboardLock("clipboard");

    ProcessLock browserLock(kFolderBrowserLock);
    ScratchFolder source("vestrane-test-command", BrowserTestFolder());
    ScratchFolder target("vestrane-test-chosen", BrowserTestFolder());
    ASSERT_FALSE(source.Path().empty());
    ASSERT_FALSE(target.Path().empty());
    const std::vector<std::string> files = {"a.txt", "b.doc", "c.txt", "readme", kHyouName};
    for (const std::string& name : files)
        source.WriteFile(name, "content of " + name);
    ASSERT_TRUE(source.AddFolder("sub"));
    source.WriteFile("sub\\inner.txt", "inner");

    RunWindows run;
    {
        ShellViewHost host(source.Path());
        ASSERT_TRUE(host.Valid());
        // The menu is opened for b.doc, which the user selected.
        ASSERT_GE(host.Select("b.doc"), 0);
        HWND listView = host.ListView();

        const UINT privateFormat = RegisterClipboardFormatA("Vestrane Test Private");
        ASSERT_TRUE(SeedClipboard(host.Host(), "earlier text", privateFormat, "earlier"));
        IContextMenu* menu = dll_->OpenMenuFor(host.Folder(), "b.doc");
        ASSERT_NE(menu, nullptr);

        SettleAccessTimes(source.Path());
        SettleAccessTimes(target.Path());
        {
            ModalDriver answer([&](HWND window) {
                if (GetDlgItem(window, IDC_PATTERN_COMBO) != nullptr) {
                    ++run.Dialogs;
                    SetDlgItemTextA(window, IDC_PATTERN_COMBO, kPatternLine);
                    ClickButton(window, row.Radio);
                    ClickButton(window, IDOK);
                } else if (IsFolderBrowser(window)) {
                    run.BrowserOwners.push_back(GetWindow(window, GW_OWNER));
                    run.BrowserSelections.push_back(BrowserSelection(window));
                    ChooseInBrowser(window, target.Path());
                } else {
                    run.Boxes.push_back({GetWindow(window, GW_OWNER), WindowTextA(window),
                                         MessageBoxTextA(window)});
                    ClickButton(window, IDOK);
                }
            });
            EXPECT_EQ(InvokeEntry(menu, host.Host()), S_OK);
        }
        EXPECT_EQ(run.Dialogs, 1);

        // The selection: every item the line matches, the folder included, and no other.
        std::vector<std::string> selected = SelectedLabels(listView);
        std::vector<std::string> expected = {"a.txt", "c.txt", "readme", "sub", kHyouName};
        std::vector<std::string> sortedSelection = selected;
        std::sort(sortedSelection.begin(), sortedSelection.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(sortedSelection, expected);
        EXPECT_EQ(GetFocus(), listView);

        // The collected paths, in the list view's order, in UTF-16.
        std::wstring fileList;
        std::vector<std::wstring> paths;
        for (const std::string& label : selected) {
            paths.push_back(Wide(source / label));
            fileList += paths.back() + L'\0';
        }
        fileList += L'\0';

        std::string drop;
        std::string effect;
        std::string text;
        const bool hasDrop = ClipboardBlock(CF_HDROP, &drop);
        const bool hasEffect = ClipboardBlock(DropEffectFormat(), &effect);
        const bool hasText = ClipboardBlock(CF_TEXT, &text);
        if (row.Action == ClipboardCopy || row.Action == ClipboardCut) {
            ASSERT_TRUE(hasDrop);
            DROPFILES header = {};
            header.pFiles = sizeof header;
            header.fWide = TRUE;
            EXPECT_EQ(drop, std::string(reinterpret_cast<const char*>(&header), sizeof header) +
                                std::string(reinterpret_cast<const char*>(fileList.data()),
                                            fileList.size() * sizeof(wchar_t)));
            EXPECT_EQ(ClipboardDropPaths(), paths);
            ASSERT_TRUE(hasEffect);
            ASSERT_EQ(effect.size(), 4u);
            DWORD value = 0;
            std::memcpy(&value, effect.data(), sizeof value);
            EXPECT_EQ(value, row.Action == ClipboardCopy ? DWORD{DROPEFFECT_COPY}
                                                         : DWORD{DROPEFFECT_MOVE});
            EXPECT_FALSE(hasText);
        } else {
            // The clipboard keeps what it had.
            EXPECT_FALSE(hasDrop);
            EXPECT_FALSE(hasEffect);
            EXPECT_TRUE(hasText);
            EXPECT_STREQ(text.c_str(), "earlier text");
        }

        if (row.Action == CopyToFolder || row.Action == MoveToFolder) {
            // The browser opened over the folder window on the folder of the files.
            ASSERT_EQ(run.BrowserOwners.size(), 1u);
            EXPECT_EQ(run.BrowserOwners[0], host.Host());
            ASSERT_FALSE(run.BrowserSelections[0].empty());
            EXPECT_EQ(run.BrowserSelections[0].back(),
                      source.Path().substr(source.Path().rfind('\\') + 1));
            // The folder was collected but not copied: four files.
            ASSERT_EQ(run.Boxes.size(), 1u);
            EXPECT_EQ(run.Boxes[0].Text,
                      ResultText(4, row.Action == CopyToFolder ? kCopyVerb : kMoveVerb));
            EXPECT_EQ(run.Boxes[0].Caption, kResultCaption);
            EXPECT_EQ(run.Boxes[0].Owner, host.Host());
        } else {
            EXPECT_TRUE(run.BrowserOwners.empty());
            EXPECT_TRUE(run.Boxes.empty());
        }

        EXPECT_EQ(menu->Release(), 0u);
        EXPECT_EQ(dll_->CanUnloadNow(), S_OK);
    }

    // The files: copied, moved, or left alone.
    const bool copied = row.Action == CopyToFolder || row.Action == MoveToFolder;
    const bool moved = row.Action == MoveToFolder;
    for (const std::string& name :
         {std::string("a.txt"), std::string("c.txt"), std::string("readme"), kHyouName}) {
        EXPECT_EQ(FileExists(target / name), copied) << name;
        if (copied) {
            EXPECT_EQ(ReadWholeFile(target / name), "content of " + name);
        }
        EXPECT_EQ(FileExists(source / name), !moved) << name;
    }
    EXPECT_FALSE(FileExists(target / "b.doc"));
    EXPECT_FALSE(FileExists(target / "sub"));
    EXPECT_EQ(ReadWholeFile(source / "b.doc"), "content of b.doc");
    EXPECT_EQ(ReadWholeFile(source / "sub\\inner.txt"), "inner");
}

INSTANTIATE_TEST_SUITE_P(
    Actions, CommandActions,
    ::testing::Values(ActionCase{"SelectOnly", SelectOnly, IDC_SELECT_ONLY},
                      ActionCase{"ClipboardCopy", ClipboardCopy, IDC_CLIPBOARD_COPY},
                      ActionCase{"ClipboardCut", ClipboardCut, IDC_CLIPBOARD_CUT},
                      ActionCase{"CopyToFolder", CopyToFolder, IDC_COPY_TO_FOLDER},
                      ActionCase{"MoveToFolder", MoveToFolder, IDC_MOVE_TO_FOLDER}),
    RowLabel());

} // namespace
