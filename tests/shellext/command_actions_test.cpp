// The whole command through the built Vestrane.dll, ending in each of the five actions: a
// folder of real files shown in Wine's own shell view, the extension made by the DLL's class
// factory and initialised with the shell's data object, InvokeCommand from the host window,
// the selection dialog answered, then the folder browser and the closing message where the
// action has them. Checked: the list view's selection, the clipboard's bytes as a paste
// would find them, and the files copied or moved. The folder and the names are of kinds
// that the ANSI calls got wrong, and everything is read in UTF-16, so the same test also
// runs under a second locale whose ANSI code page is not 932.
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
#include "common/message_box.h"
#include "common/resource_text.h"
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
#include "tests/support/shell_view.h"
#include "tests/support/wide_text.h"

namespace {

using Names = std::vector<std::wstring>;

const char kPatternLine[] = "*.txt readme sub *.pdf";
// The files the line matches: 表 ends in the byte 0x5C in code page 932; best fit read
// "café" as "cafe" (one file twice), Hangul and the emoji as "?" (no file), and "¥" as a
// backslash, which led the downloaded name to Documents\taxes.pdf beside the folder.
const Names kMatching = {
    L"a.txt",    L"c.txt",    L"readme",         L"表.txt", L"café.txt",
    L"cafe.txt", L"한글.txt", L"\U0001F600.txt", L"t.pdf",  L"x¥..¥..¥Documents¥taxes.pdf"};
// The right-clicked file, which the line does not match.
const wchar_t kClicked[] = L"b.doc";

// A text of the DLL's string table with its "%s" filled in.
std::wstring DllText(HMODULE dll, UINT id, const std::wstring& argument = L"") {
    wchar_t format[kMessageRoom];
    LoadText(dll, id, format, kMessageRoom);
    wchar_t text[kMessageRoom];
    FormText(text, format, {argument.c_str()});
    return text;
}

// Each file's own bytes.
std::string Content(const std::wstring& name) {
    return "content of " + Utf8(name);
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
    std::vector<std::vector<std::wstring>> BrowserSelections;
    std::vector<HWND> BoxOwners;
    std::vector<std::wstring> BoxCaptions;
    std::vector<std::wstring> BoxTexts;
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
    ScratchFolder scratch("vestrane-test-command", BrowserTestFolder());
    ScratchFolder target("vestrane-test-chosen", BrowserTestFolder());
    ASSERT_FALSE(scratch.Path().empty());
    ASSERT_FALSE(target.Path().empty());
    // The files are shown in scratch\あ; Documents\taxes.pdf lies two levels above a name
    // in it that best fit would read as "x\..\..\Documents\taxes.pdf".
    const std::wstring source = scratch / L"あ";
    ASSERT_TRUE(CreateDirectoryW(source.c_str(), nullptr));
    ASSERT_TRUE(scratch.AddFolder("Documents"));
    ASSERT_TRUE(scratch.WriteFile(L"Documents\\taxes.pdf", Content(L"outside")));
    ASSERT_TRUE(target.WriteFile(L"taxes.pdf", Content(L"the target's own")));
    Names files = kMatching;
    files.push_back(kClicked);
    for (const std::wstring& name : files)
        ASSERT_TRUE(scratch.WriteFile(L"あ\\" + name, Content(name))) << Utf8(name);
    ASSERT_TRUE(CreateDirectoryW((source + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(scratch.WriteFile(L"あ\\sub\\inner.txt", "inner"));

    RunWindows run;
    {
        ShellViewHost host(source);
        ASSERT_TRUE(host.Valid());
        // The menu is opened for b.doc, which the user selected.
        ASSERT_GE(host.Select(Utf8(kClicked)), 0);
        HWND listView = host.ListView();

        const UINT privateFormat = RegisterClipboardFormatA("Vestrane Test Private");
        ASSERT_TRUE(SeedClipboard(host.Host(), "earlier text", privateFormat, "earlier"));
        IContextMenu* menu = dll_->OpenMenuFor(host.Folder(), Utf8(kClicked));
        ASSERT_NE(menu, nullptr);

        SettleAccessTimes(source);
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
                    run.BrowserSelections.push_back(BrowserSelectionW(window));
                    ChooseInBrowser(window, target.Path());
                } else {
                    run.BoxOwners.push_back(GetWindow(window, GW_OWNER));
                    run.BoxCaptions.push_back(WindowTextW(window));
                    run.BoxTexts.push_back(MessageBoxTextW(window));
                    ClickButton(window, IDOK);
                }
            });
            EXPECT_EQ(InvokeEntry(menu, host.Host()), S_OK);
        }
        EXPECT_EQ(run.Dialogs, 1);

        // The selection: every item the line matches, the folder included, and no other.
        // After a move the view shows what the shell's notices of the move made of the
        // items; Wine's view renames them, not always to the right names.
        const Names selected = SelectedLabelsW(listView);
        Names expected = kMatching;
        expected.push_back(L"sub");
        Names sortedSelection = selected;
        std::sort(sortedSelection.begin(), sortedSelection.end());
        std::sort(expected.begin(), expected.end());
        if (row.Action != MoveToFolder) {
            EXPECT_EQ(sortedSelection, expected);
        }
        EXPECT_EQ(GetFocus(), listView);

        // The collected paths, in the list view's order; the block's bytes are
        // clipboard_transfer_test's to check.
        Names paths;
        for (const std::wstring& label : selected)
            paths.push_back(source + L"\\" + label);

        std::string drop;
        std::string effect;
        std::string text;
        const bool hasDrop = ClipboardBlock(CF_HDROP, &drop);
        const bool hasEffect = ClipboardBlock(DropEffectFormat(), &effect);
        const bool hasText = ClipboardBlock(CF_TEXT, &text);
        if (row.Action == ClipboardCopy || row.Action == ClipboardCut) {
            ASSERT_TRUE(hasDrop);
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
            EXPECT_EQ(run.BrowserSelections[0].back(), L"あ");
            // The folder was collected but not copied, and is named: every matching file.
            const bool copy = row.Action == CopyToFolder;
            const HMODULE dll = dll_->Module();
            ASSERT_EQ(run.BoxTexts.size(), 1u);
            EXPECT_EQ(
                run.BoxTexts[0],
                DllText(dll, copy ? IDS_COPIED : IDS_MOVED, std::to_wstring(kMatching.size())) +
                    DllText(dll, copy ? IDS_FOLDERS_NOT_COPIED : IDS_FOLDERS_NOT_MOVED, L"1") +
                    L"sub");
            EXPECT_EQ(run.BoxCaptions[0], DllText(dll, IDS_CAPTION_RESULT));
            EXPECT_EQ(run.BoxOwners[0], host.Host());
        } else {
            EXPECT_TRUE(run.BrowserOwners.empty());
            EXPECT_TRUE(run.BoxTexts.empty());
        }

        EXPECT_EQ(menu->Release(), 0u);
        EXPECT_EQ(dll_->CanUnloadNow(), S_OK);
    }

    // The files: copied, moved, or left alone, each under its own name.
    const bool copied = row.Action == CopyToFolder || row.Action == MoveToFolder;
    const bool moved = row.Action == MoveToFolder;
    for (const std::wstring& name : kMatching) {
        EXPECT_EQ(FileExists(target / name), copied) << Utf8(name);
        if (copied) {
            EXPECT_EQ(ReadWholeFile(target / name), Content(name)) << Utf8(name);
        }
        EXPECT_EQ(FileExists(source + L"\\" + name), !moved) << Utf8(name);
    }
    EXPECT_FALSE(FileExists(target / std::wstring(kClicked)));
    EXPECT_FALSE(FileExists(target / L"sub"));
    EXPECT_EQ(ReadWholeFile(source + L"\\" + kClicked), Content(kClicked));
    EXPECT_EQ(ReadWholeFile(source + L"\\sub\\inner.txt"), "inner");
    EXPECT_EQ(ReadWholeFile(scratch / L"Documents\\taxes.pdf"), Content(L"outside"));
    EXPECT_EQ(ReadWholeFile(target / L"taxes.pdf"), Content(L"the target's own"));
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
