// FindExplorerListView on real window trees: the three layouts of a folder window built
// from windows of those class names, every missing level, and Wine's own shell view.
#include "shellext/explorer_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/list_view_items.h"
#include "tests/support/row_label.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/shell_view.h"
#include "tests/support/window_tree.h"

namespace {

const char kDefView[] = "SHELLDLL_DefView";
const std::string kWeb = "SHELLDLL_DefView/Internet Explorer_Server";
const std::string kDui = "SHELLDLL_DefView/DUIViewWndClassName";

struct LayoutRow {
    const char* label;
    std::vector<std::string> Windows;
    ExplorerListView::Outcome Result;
    // The path of the list view that must be found, when Result is Found.
    std::string ListView;
};

class Layouts : public testing::TestWithParam<LayoutRow> {};

TEST_P(Layouts, FindsTheListViewOrSaysWhichLevelIsMissing) {
    const LayoutRow& row = GetParam();
    WindowTree tree(row.Windows);
    for (const std::string& path : row.Windows)
        ASSERT_NE(tree.At(path), nullptr) << path;

    const ExplorerListView found = FindExplorerListView(tree.Top());
    EXPECT_EQ(found.Result, row.Result);
    if (row.Result == ExplorerListView::Found) {
        EXPECT_EQ(found.ListView, tree.At(row.ListView));
        EXPECT_NE(found.ListView, nullptr);
    } else {
        EXPECT_EQ(found.ListView, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FolderWindows, Layouts,
    testing::Values(
        LayoutRow{"ListViewBelowFolderView",
                  {"SHELLDLL_DefView/SysListView32"},
                  ExplorerListView::Found,
                  "SHELLDLL_DefView/SysListView32"},
        LayoutRow{"WebView",
                  {kWeb + "/ATL Shell Embedding/SysListView32"},
                  ExplorerListView::Found,
                  kWeb + "/ATL Shell Embedding/SysListView32"},
        LayoutRow{"DirectUI",
                  {kDui + "/DirectUIHWND/CtrlNotifySink/SysListView32"},
                  ExplorerListView::Found,
                  kDui + "/DirectUIHWND/CtrlNotifySink/SysListView32"},
        LayoutRow{"WebViewIsTriedBeforeDirectUI",
                  {kDui + "/DirectUIHWND/CtrlNotifySink/SysListView32",
                   kWeb + "/ATL Shell Embedding/SysListView32"},
                  ExplorerListView::Found,
                  kWeb + "/ATL Shell Embedding/SysListView32"},
        LayoutRow{"FirstOfTwoListViewsCounts",
                  {"SHELLDLL_DefView/SysListView32", "SHELLDLL_DefView/VestraneTestOther"},
                  ExplorerListView::Found,
                  "SHELLDLL_DefView/SysListView32"},
        LayoutRow{"NoFolderView",
                  {"VestraneTestOther/SysListView32"},
                  ExplorerListView::NoFolderView,
                  ""},
        LayoutRow{"FolderViewDeeperThanAChild",
                  {"VestraneTestOther/SHELLDLL_DefView/SysListView32"},
                  ExplorerListView::NoFolderView,
                  ""},
        LayoutRow{"FolderViewWithoutListView", {kDefView}, ExplorerListView::NoListView, ""},
        LayoutRow{"ListViewOnlyAsGrandchild",
                  {"SHELLDLL_DefView/VestraneTestOther/SysListView32"},
                  ExplorerListView::NoListView,
                  ""},
        LayoutRow{"WebViewWithoutEmbedding", {kWeb}, ExplorerListView::NoListView, ""},
        LayoutRow{"WebViewEmbeddingWithoutListView",
                  {kWeb + "/ATL Shell Embedding"},
                  ExplorerListView::NoListView,
                  ""},
        LayoutRow{"WebViewIncompleteBesideADirectListView",
                  {kWeb, "SHELLDLL_DefView/SysListView32"},
                  ExplorerListView::NoListView,
                  ""},
        LayoutRow{"DirectUIWithoutDirectUIHWND", {kDui}, ExplorerListView::NoListView, ""},
        LayoutRow{"DirectUIWithoutNotifySink",
                  {kDui + "/DirectUIHWND"},
                  ExplorerListView::NoListView,
                  ""},
        LayoutRow{"DirectUINotifySinkWithoutListView",
                  {kDui + "/DirectUIHWND/CtrlNotifySink"},
                  ExplorerListView::NoListView,
                  ""},
        LayoutRow{"DirectUIListViewOneLevelTooHigh",
                  {kDui + "/DirectUIHWND/SysListView32"},
                  ExplorerListView::NoListView,
                  ""}),
    RowLabel());

TEST(FindExplorerListView, NoWindowHasNoFolderView) {
    const ExplorerListView found = FindExplorerListView(nullptr);
    EXPECT_EQ(found.Result, ExplorerListView::NoFolderView);
    EXPECT_EQ(found.ListView, nullptr);
}

TEST(FindExplorerListView, FindsTheListViewOfWinesOwnShellView) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        ScratchFolder folder("vestrane-shell");
        ASSERT_FALSE(folder.Path().empty());
        ASSERT_TRUE(folder.WriteFile("one.txt"));
        ShellViewHost host(folder.Path());
        ASSERT_TRUE(host.Valid());
        ASSERT_NE(host.ListView(), nullptr);
        char viewClass[64] = {};
        GetClassNameA(host.ViewWindow(), viewClass, sizeof viewClass);
        ASSERT_STREQ(viewClass, "SHELLDLL_DefView");

        const ExplorerListView found = FindExplorerListView(host.Host());
        EXPECT_EQ(found.Result, ExplorerListView::Found);
        EXPECT_EQ(found.ListView, host.ListView());
        EXPECT_EQ(SendMessageA(found.ListView, LVM_GETITEMCOUNT, 0, 0), 1);
    }
    OleUninitialize();
}

} // namespace
