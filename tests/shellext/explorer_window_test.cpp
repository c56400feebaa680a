// Finding the folder window's items. FindExplorerListView on real window trees: the three
// layouts of a folder window built from windows of those class names, every missing level,
// and Wine's own shell view. FindFolderView on the shell's ExplorerBrowser: each way of
// reaching the view, in order, a view of another folder refused, the desktop and a root.
#include "shellext/explorer_window.h"

#include <commctrl.h>
#include <shlguid.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <string>
#include <vector>

#include "shellext/folder_view.h"
#include "tests/support/list_view_items.h"
#include "tests/support/owned_com_object.h"
#include "tests/support/row_label.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/service_site.h"
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

// ----- FindFolderView ------------------------------------------------------------------

// The shown view, a second view of the same folder, and a view of another folder.
enum class Answer { Nothing, ShownView, SecondView, OtherView };
enum class Invoker { PlainWindow, ShownViewWindow, SecondViewWindow, OtherViewWindow };

struct ReachRow {
    const char* label;
    Answer FolderViewService;
    Answer TopLevelBrowserService;
    Answer ShellBrowserService;
    // The window the command comes from: the shown view's and the other view's windows lie
    // below an "ExplorerBrowserControl", which answers CWM_GETISHELLBROWSER.
    Invoker From;
    Answer Found;
    // Nothing found, and a view of another folder was among the answers.
    bool OtherFolderShown = false;
};

class ReachingTheView : public testing::TestWithParam<ReachRow> {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

bool SameObject(IUnknown* one, IUnknown* other) {
    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    one->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&first));
    other->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&second));
    const bool same = first != nullptr && first == second;
    first->Release();
    second->Release();
    return same;
}

TEST_P(ReachingTheView, TakesTheFirstViewOfTheClickedFolder) {
    const ReachRow& row = GetParam();
    ScratchFolder folder("vestrane-shell");
    ASSERT_TRUE(folder.WriteFile("one.txt"));
    ASSERT_TRUE(folder.AddFolder("other"));
    ShellViewHost shown(folder.Path(), ViewHosting::BrowserControl);
    ShellViewHost second(folder.Path(), ViewHosting::BrowserControl);
    ShellViewHost other(folder / "other", ViewHosting::BrowserControl);
    ASSERT_TRUE(shown.Valid());
    ASSERT_TRUE(second.Valid());
    ASSERT_TRUE(other.Valid());
    WindowTree plain({});

    auto host = [&](Answer answer) -> const FolderView* {
        return answer == Answer::ShownView    ? &shown.View()
               : answer == Answer::SecondView ? &second.View()
               : answer == Answer::OtherView  ? &other.View()
                                              : nullptr;
    };
    auto view = [&](Answer answer) -> IUnknown* {
        return host(answer) != nullptr ? host(answer)->Items() : nullptr;
    };
    auto browser = [&](Answer answer) -> IUnknown* {
        return host(answer) != nullptr ? host(answer)->Browser() : nullptr;
    };
    ServiceSite site;
    site.FolderView = view(row.FolderViewService);
    site.TopLevelBrowser = browser(row.TopLevelBrowserService);
    site.ShellBrowser = browser(row.ShellBrowserService);
    const HWND from = row.From == Invoker::ShownViewWindow    ? shown.ViewWindow()
                      : row.From == Invoker::SecondViewWindow ? second.ViewWindow()
                      : row.From == Invoker::OtherViewWindow  ? other.ViewWindow()
                                                              : plain.Top();

    {
        const FoundFolderView search = FindFolderView(&site, from, folder.WidePath().c_str());
        IFolderView* found = search.View.Get();
        EXPECT_EQ(search.OtherFolderShown, row.OtherFolderShown);
        if (row.Found == Answer::Nothing) {
            EXPECT_EQ(found, nullptr);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_TRUE(SameObject(found, view(row.Found)));
        }
    }
    EXPECT_EQ(site.HeldByOthers(), 0) << "the site's services were given back";
}

INSTANTIATE_TEST_SUITE_P(
    Routes, ReachingTheView,
    testing::Values(
        ReachRow{"SiteFolderView", Answer::ShownView, Answer::Nothing, Answer::Nothing,
                 Invoker::PlainWindow, Answer::ShownView},
        ReachRow{"SiteTopLevelBrowser", Answer::Nothing, Answer::ShownView, Answer::Nothing,
                 Invoker::PlainWindow, Answer::ShownView},
        ReachRow{"SiteShellBrowser", Answer::Nothing, Answer::Nothing, Answer::ShownView,
                 Invoker::PlainWindow, Answer::ShownView},
        ReachRow{"SiteBrowserWhenItsFolderViewShowsAnotherFolder", Answer::OtherView,
                 Answer::ShownView, Answer::Nothing, Invoker::PlainWindow, Answer::ShownView},
        ReachRow{"SiteFolderViewBeforeItsBrowser", Answer::ShownView, Answer::SecondView,
                 Answer::SecondView, Invoker::PlainWindow, Answer::ShownView},
        ReachRow{"TopLevelBrowserBeforeShellBrowser", Answer::Nothing, Answer::ShownView,
                 Answer::SecondView, Invoker::PlainWindow, Answer::ShownView},
        ReachRow{"SiteBeforeTheWindow", Answer::ShownView, Answer::Nothing, Answer::Nothing,
                 Invoker::SecondViewWindow, Answer::ShownView},
        ReachRow{"WindowAboveTheInvokingOne", Answer::Nothing, Answer::Nothing, Answer::Nothing,
                 Invoker::ShownViewWindow, Answer::ShownView},
        ReachRow{"WindowWhenTheSiteShowsAnotherFolder", Answer::OtherView, Answer::OtherView,
                 Answer::OtherView, Invoker::ShownViewWindow, Answer::ShownView},
        ReachRow{"AnotherFolderEverywhereIsRefused", Answer::OtherView, Answer::OtherView,
                 Answer::OtherView, Invoker::OtherViewWindow, Answer::Nothing, true},
        ReachRow{"AnotherFolderThroughTheWindowAloneIsRefused", Answer::Nothing, Answer::Nothing,
                 Answer::Nothing, Invoker::OtherViewWindow, Answer::Nothing, true},
        ReachRow{"NothingAnswers", Answer::Nothing, Answer::Nothing, Answer::Nothing,
                 Invoker::PlainWindow, Answer::Nothing}),
    RowLabel());

// A window of another thread could answer CWM_GETISHELLBROWSER with a pointer that is no
// browser of this thread's; it is not asked.
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static std::atomic<int>* asked = nullptr;
    if (message == WM_NCCREATE)
        asked = static_cast<std::atomic<int>*>(
            reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (message == kGetShellBrowserMessage && asked != nullptr)
        ++*asked;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(FindFolderView, AsksNoWindowOfAnotherThread) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        ScratchFolder folder("vestrane-shell");
        std::atomic<int> asked{0};
        std::atomic<HWND> window{nullptr};
        HANDLE made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread owner([&] {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = CountingProc;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.lpszClassName = "VestraneTestOtherThread";
            RegisterClassA(&windowClass);
            window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0,
                                     100, 100, nullptr, nullptr, windowClass.hInstance, &asked);
            SetEvent(made);
            // Serves sent messages until the test is done.
            while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) !=
                   WAIT_OBJECT_0) {
                MSG message;
                while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageA(&message);
            }
            DestroyWindow(window);
        });
        WaitForSingleObject(made, INFINITE);
        EXPECT_NE(window.load(), nullptr);
        EXPECT_FALSE(FindFolderView(nullptr, window, folder.WidePath().c_str()).View);
        EXPECT_EQ(asked.load(), 0);
        SetEvent(done);
        owner.join();
        CloseHandle(made);
        CloseHandle(done);
    }
    OleUninitialize();
}

// The folder of a file on the desktop is the desktop folder, which the desktop's view shows;
// the folder of a file in a root is "C:", which a view of the root shows.
TEST(FindFolderView, TakesTheDesktopForItsFolderAndARootWithoutBackslash) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        wchar_t desktopFolder[MAX_PATH] = {};
        ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktopFolder, CSIDL_DESKTOPDIRECTORY, FALSE));
        ShellViewHost desktop("", ViewHosting::BrowserControl);
        ShellViewHost root("C:\\", ViewHosting::BrowserControl);
        ASSERT_TRUE(desktop.Valid());
        ASSERT_TRUE(root.Valid());
        const std::pair<HWND, const wchar_t*> shownFolders[] = {
            {desktop.ViewWindow(), desktopFolder}, {root.ViewWindow(), L"C:"}};
        for (const auto& shown : shownFolders) {
            EXPECT_TRUE(FindFolderView(nullptr, shown.first, shown.second).View) << shown.second;
        }
        const FoundFolderView other = FindFolderView(nullptr, root.ViewWindow(), L"C:\\windows");
        EXPECT_FALSE(other.View);
        EXPECT_TRUE(other.OtherFolderShown);
    }
    OleUninitialize();
}

} // namespace
