// ExplorerCommand in-process, driven as Windows 11's menu drives it: made through the class
// factory, asked about real shell item arrays and about the empty area through a site, and
// invoked up to the selection in the shell's own folder view.
#include "shellext/explorer_command.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/resource_text.h"
#include "common/shared_facts.h"
#include "shellext/com_server.h"
#include "shellext/module_state.h"
#include "shellext/resource.h"
#include "tests/support/list_view_items.h"
#include "tests/support/modal_driver.h"
#include "tests/support/registry_key_guard.h"
#include "tests/support/row_label.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/service_site.h"
#include "tests/support/shell_view.h"
#include "tests/support/wide_text.h"
#include "tools/explorer_host/empty_item_array.h"

namespace {

ComPtr<IExplorerCommand> CreateCommand() {
    ComPtr<IClassFactory> factory;
    ComPtr<IExplorerCommand> command;
    if (DllGetClassObject(kCommandClassId, IID_IClassFactory, factory.PutVoid()) == S_OK)
        factory->CreateInstance(nullptr, IID_IExplorerCommand, command.PutVoid());
    return command;
}

std::wstring Taken(LPWSTR text) {
    std::wstring kept = text != nullptr ? text : L"";
    CoTaskMemFree(text);
    return kept;
}

// The menu entry's text as a title: without its access key, "(&W)" or "&".
std::wstring WithoutAccessKey(std::wstring text) {
    const size_t key = text.find(L'&');
    if (key == std::wstring::npos)
        return text;
    if (key > 0 && text[key - 1] == L'(' && text.size() > key + 2 && text[key + 2] == L')')
        return text.erase(key - 1, 4);
    return text.erase(key, 1);
}

ComPtr<IShellItemArray> ItemsOf(IDataObject* data) {
    ComPtr<IShellItemArray> items;
    if (data != nullptr)
        SHCreateShellItemArrayFromDataObject(data, IID_IShellItemArray, items.PutVoid());
    return items;
}

class ExplorerCommandTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        // The texts, the icon and the dialog come from this program, which carries the DLL's
        // resources.
        ModuleInstance = GetModuleHandleW(nullptr);
        command_ = CreateCommand();
        ASSERT_TRUE(command_);
        ASSERT_EQ(QueryInto(command_.Get(), IID_IObjectWithSite, withSite_), S_OK);
        ASSERT_TRUE(folder_.WriteFile("a.txt") && folder_.WriteFile("b.doc") &&
                    folder_.WriteFile("c.txt"));
    }
    void TearDown() override {
        withSite_.Reset();
        command_.Reset();
        EXPECT_EQ(ModuleObjectCount, 0);
        OleUninitialize();
    }

    EXPCMDSTATE StateFor(IShellItemArray* items) {
        EXPCMDSTATE state = ECS_DISABLED;
        EXPECT_EQ(command_->GetState(items, TRUE, &state), S_OK);
        return state;
    }

    ComPtr<IExplorerCommand> command_;
    ComPtr<IObjectWithSite> withSite_;
    ScratchFolder folder_{"vestrane-command"};
    // No run may write the settings of the user running the tests.
    RegistryKeyGuard settings_{HKEY_CURRENT_USER, kSettingsKey};
};

TEST_F(ExplorerCommandTest, ShowsTheEntrysTextWithoutAccessKeyItsHelpAndTheDllsIcon) {
    wchar_t entry[64];
    LoadText(ModuleInstance, IDS_MENU_ENTRY, entry, 64);
    LPWSTR text = nullptr;
    ASSERT_EQ(command_->GetTitle(nullptr, &text), S_OK);
    EXPECT_EQ(Taken(text), WithoutAccessKey(entry));
    ASSERT_EQ(command_->GetToolTip(nullptr, &text), S_OK);
    wchar_t help[64];
    LoadText(ModuleInstance, IDS_MENU_HELP, help, 64);
    EXPECT_EQ(Taken(text), help);

    ASSERT_EQ(command_->GetIcon(nullptr, &text), S_OK);
    const std::wstring location = Taken(text);
    const size_t comma = location.rfind(L',');
    ASSERT_NE(comma, std::wstring::npos) << Utf8(location);
    HICON icon = nullptr;
    EXPECT_EQ(ExtractIconExW(location.substr(0, comma).c_str(),
                             std::stoi(location.substr(comma + 1)), &icon, nullptr, 1),
              1u)
        << Utf8(location);
    if (icon != nullptr)
        DestroyIcon(icon);
}

// Files and folder items of a folder in the file system, and the empty area of a view of one,
// enable the entry; an item that is no file (a drive list) and a site without a view hide it.
TEST_F(ExplorerCommandTest, IsEnabledOnlyWhereThereIsAFolderOfTheFileSystem) {
    ShellViewHost host(folder_.Path());
    ASSERT_TRUE(host.Valid());
    const auto files =
        ComPtr<IDataObject>::Adopt(ShellDataObject(host.Folder(), {"c.txt", "a.txt"}));
    EXPECT_EQ(StateFor(ItemsOf(files.Get()).Get()), ECS_ENABLED);

    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    ComPtr<IShellItemArray> virtualItems;
    ASSERT_EQ(SHCreateShellItemArrayFromIDLists(1, const_cast<PCIDLIST_ABSOLUTE*>(&computer),
                                                virtualItems.Put()),
              S_OK);
    CoTaskMemFree(computer);
    EXPECT_EQ(StateFor(virtualItems.Get()), ECS_HIDDEN);

    ServiceSite site;
    ASSERT_EQ(withSite_->SetSite(&site), S_OK);
    EXPECT_EQ(StateFor(nullptr), ECS_HIDDEN);
    site.FolderView = host.View().Items();
    EXPECT_EQ(StateFor(nullptr), ECS_ENABLED);
    ASSERT_EQ(withSite_->SetSite(nullptr), S_OK);
    EXPECT_EQ(site.HeldByOthers(), 0);
}

// The forms in which the empty area comes: no array, an empty one, or the folder itself.
enum class AreaItems { None, Empty, Folder };

struct InvokeRow {
    const char* label;
    // The items clicked, none for the empty area.
    std::vector<std::string> Items;
    std::string StartLine;
    AreaItems Area = AreaItems::None;
};

class ExplorerCommandInvoke : public ExplorerCommandTest,
                              public testing::WithParamInterface<InvokeRow> {};

// The entry is shown, asked quickly without the site or the items (E_PENDING) and at leisure
// with them; the dialog starts from the first item, or from the view's folder, is owned by the
// site's window, and the line selects in the site's view.
TEST_P(ExplorerCommandInvoke, RunsTheCommandOnTheSitesViewOwnedByItsWindow) {
    const InvokeRow& row = GetParam();
    ShellViewHost host(folder_.Path());
    ASSERT_TRUE(host.Valid());
    ServiceSite site;
    site.FolderView = host.View().Items();
    site.Window = host.Host();
    ASSERT_EQ(withSite_->SetSite(&site), S_OK);
    const auto data = ComPtr<IDataObject>::Adopt(
        row.Items.empty() ? nullptr : ShellDataObject(host.Folder(), row.Items));
    EmptyItemArray empty; // outlives the reference that items holds
    ComPtr<IShellItemArray> items = ItemsOf(data.Get());
    PCIDLIST_ABSOLUTE folder = host.View().FolderId();
    if (row.Area == AreaItems::Empty)
        items = ComPtr<IShellItemArray>::Share(&empty);
    if (row.Area == AreaItems::Folder) {
        ASSERT_EQ(SHCreateShellItemArrayFromIDLists(1, &folder, items.Put()), S_OK);
    }
    ASSERT_EQ(!items, row.Items.empty() && row.Area == AreaItems::None);
    EXPCMDSTATE state = ECS_HIDDEN;
    EXPECT_EQ(command_->GetState(items.Get(), FALSE, &state), E_PENDING);
    EXPECT_EQ(StateFor(items.Get()), ECS_ENABLED);

    std::string line;
    HWND owner = nullptr;
    ModalDriver confirm([&](HWND dialog) {
        line = WindowText(GetDlgItem(dialog, IDC_PATTERN_COMBO));
        owner = GetWindow(dialog, GW_OWNER);
        ClickButton(dialog, IDC_SELECT_ONLY);
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(command_->Invoke(items.Get(), nullptr), S_OK);
    EXPECT_EQ(line, row.StartLine);
    EXPECT_EQ(owner, host.Host());
    const std::vector<std::string> matching =
        row.StartLine == "*" ? std::vector<std::string>{"a.txt", "b.doc", "c.txt"}
                             : std::vector<std::string>{"a.txt", "c.txt"};
    EXPECT_EQ(SelectedLabels(host.ListView()), matching);
    ASSERT_EQ(withSite_->SetSite(nullptr), S_OK);
    EXPECT_EQ(site.HeldByOthers(), 0);
}

INSTANTIATE_TEST_SUITE_P(Places, ExplorerCommandInvoke,
                         testing::Values(InvokeRow{"File", {"c.txt", "b.doc"}, "*.txt"},
                                         InvokeRow{"EmptyArea", {}, "*"},
                                         InvokeRow{"EmptyArray", {}, "*", AreaItems::Empty},
                                         InvokeRow{"FolderItself", {}, "*", AreaItems::Folder}),
                         RowLabel());

} // namespace
