#include "tools/explorer_host/host_window.h"

#include <commctrl.h>

#include "tests/support/clipboard_reader.h"
#include "tests/support/list_view_items.h"
#include "tests/support/wide_text.h"
#include "tests/support/window_tree.h"
#include "tools/explorer_host/context_menu_builder.h"
#include "tools/explorer_host/dialog_actions.h"
#include "tools/explorer_host/dialog_answerer.h"
#include "tools/explorer_host/report_writer.h"
#include "tools/explorer_host/run_report.h"

namespace {
const char kWindowClass[] = "CabinetWClass";
// Explorer answers this message with its IShellBrowser; code in the process may ask for it.
constexpr UINT kGetShellBrowser = WM_USER + 7;
constexpr UINT kRunCommandLine = WM_APP + 1;
constexpr UINT kPrepareOneCommand = WM_APP + 2;
const char kHostProperty[] = "StandInExplorerHost";
// The windows of today's Explorer between its frame and its folder view, outermost first.
const char* const kTodaysFrameClasses[] = {"ShellTabWindowClass", "DUIViewWndClassName",
                                           "DirectUIHWND", "CtrlNotifySink"};
const char kOtherViewClass[] = "StandInExplorerOtherView";
const char kAdvancedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
const char kHideFileExt[] = "HideFileExt";

// The first item whose label is wanted or, with extensions hidden, whose file name is; -1.
int IndexOfItem(HWND listView, IFolderView* view, const std::string& wanted) {
    const int byLabel = IndexOfLabel(listView, AnsiToUtf8(wanted));
    if (byLabel >= 0)
        return byLabel;
    int count = 0;
    if (view == nullptr || FAILED(view->ItemCount(SVGIO_ALLVIEW, &count)))
        return -1;
    for (int index = 0; index < count; ++index) {
        if (WideToAnsi(ItemFileName(view, index).c_str()) == wanted)
            return index;
    }
    return -1;
}
} // namespace

// Sets HideFileExt to 1 for as long as it lives, then puts back what was there.
class ExtensionsHidden : private Uncopyable {
public:
    ExtensionsHidden() {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kAdvancedKey, 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = sizeof before_;
        hadValue_ = RegQueryValueExA(key_, kHideFileExt, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&before_), &size) == ERROR_SUCCESS;
        const DWORD hide = 1;
        set_ = RegSetValueExA(key_, kHideFileExt, 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&hide), sizeof hide) == ERROR_SUCCESS;
    }
    ~ExtensionsHidden() {
        if (key_ == nullptr)
            return;
        if (hadValue_)
            RegSetValueExA(key_, kHideFileExt, 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&before_), sizeof before_);
        else
            RegDeleteValueA(key_, kHideFileExt);
        RegCloseKey(key_);
    }
    bool Set() const { return set_; }

private:
    HKEY key_ = nullptr;
    DWORD before_ = 0;
    bool hadValue_ = false;
    bool set_ = false;
};

HostWindow::HostWindow(const HostOptions& options) : options_(options) {}

HostWindow::~HostWindow() {
    CloseFolderView();
}

const FolderView& HostWindow::AnsweredView() const {
    return options_.OtherViewFolder.empty() ? view_ : otherView_;
}

IUnknown* HostWindow::Site() const {
    return static_cast<IServiceProvider*>(site_.get());
}

bool HostWindow::Create(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExA(&windowClass);

    std::string title = options_.Desktop ? std::string("Desktop") : options_.Folder;
    window_ =
        CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40,
                        30, options_.Width, options_.Height, nullptr, nullptr, instance, this);
    if (window_ == nullptr) {
        ReportLine("error", "cannot create the window");
        return false;
    }
    status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                              0, 0, window_, nullptr, instance, nullptr);
    if (options_.HideExtensions) {
        extensionsHidden_ = std::make_unique<ExtensionsHidden>();
        if (!extensionsHidden_->Set()) {
            ReportLine("error", "cannot set HideFileExt");
            DestroyWindow(window_);
            return false;
        }
    }
    if ((options_.Layout == ViewHosting::BrowserControl && !MakeTodaysFrame(instance)) ||
        !OpenFolderView()) {
        DestroyWindow(window_);
        return false;
    }
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    if (!options_.Invoke.empty())
        PostMessageA(window_, kRunCommandLine, 0, 0);
    else if (options_.OneCommand)
        PostMessageA(window_, kPrepareOneCommand, 0, 0);
    return true;
}

int HostWindow::Run() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (view_.View() != nullptr && view_.View()->TranslateAccelerator(&message) == S_OK)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return exitCode_;
}

bool HostWindow::MakeTodaysFrame(HINSTANCE instance) {
    HWND parent = window_;
    for (const char* windowClass : kTodaysFrameClasses) {
        RegisterPlainClass(windowClass);
        parent =
            CreateWindowExA(0, windowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            options_.Width, options_.Height, parent, nullptr, instance, nullptr);
        if (parent == nullptr) {
            ReportLine("error", std::string("cannot create a window of the class ") + windowClass);
            return false;
        }
        frame_.push_back(parent);
    }
    return true;
}

bool HostWindow::OpenFolderView() {
    const RECT area = {0, 0, options_.Width, options_.Height};
    HWND parent = frame_.empty() ? window_ : frame_.back();
    if (!view_.Open(parent, AnsiToUtf8(options_.Folder), options_.ViewMode, area,
                    SVUIA_ACTIVATE_FOCUS, options_.Layout)) {
        ReportLine("error", "cannot show the folder " + options_.Folder);
        return false;
    }
    if (!options_.OtherViewFolder.empty()) {
        RegisterPlainClass(kOtherViewClass);
        otherHost_ =
            CreateWindowExA(0, kOtherViewClass, "", WS_POPUP, 0, 0, options_.Width, options_.Height,
                            window_, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (otherHost_ == nullptr ||
            !otherView_.Open(otherHost_, AnsiToUtf8(options_.OtherViewFolder), options_.ViewMode,
                             area, SVUIA_ACTIVATE_NOFOCUS, options_.Layout)) {
            ReportLine("error", "cannot show the folder " + options_.OtherViewFolder);
            return false;
        }
    }
    // Today's Explorer sets a site on its handlers; the Explorer of Windows 2000/XP did not.
    if (options_.Layout == ViewHosting::BrowserControl && !options_.NoSite)
        site_ = std::make_unique<HostSite>(AnsweredView(), window_);
    // Wine's folder view shows a menu of its own on a right-click; this window builds the
    // menu instead, as Explorer does, so the view's WM_CONTEXTMENU comes here first.
    // The view keeps its own object in GWLP_USERDATA; ours goes into a window property.
    HWND viewWindow = view_.ViewWindow();
    SetPropA(viewWindow, kHostProperty, this);
    viewProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(viewWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ViewProc)));
    Layout();
    return true;
}

void HostWindow::CloseFolderView() {
    HWND viewWindow = view_.ViewWindow();
    if (viewWindow != nullptr && viewProc_ != nullptr) {
        SetWindowLongPtrA(viewWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(viewProc_));
        RemovePropA(viewWindow, kHostProperty);
        viewProc_ = nullptr;
    }
    if (site_ != nullptr && site_->HeldByOthers() != 0)
        ReportLine("site-still-held", std::to_string(site_->HeldByOthers()));
    site_.reset();
    view_.Close();
    otherView_.Close();
    if (otherHost_ != nullptr) {
        DestroyWindow(otherHost_);
        otherHost_ = nullptr;
    }
    extensionsHidden_.reset();
}

void HostWindow::Layout() {
    if (window_ == nullptr)
        return;
    RECT client;
    GetClientRect(window_, &client);
    int statusHeight = 0;
    if (status_ != nullptr) {
        SendMessageA(status_, WM_SIZE, 0, 0);
        RECT statusRect;
        GetWindowRect(status_, &statusRect);
        statusHeight = statusRect.bottom - statusRect.top;
    }
    const int height = client.bottom - statusHeight;
    for (HWND window : frame_)
        MoveWindow(window, 0, 0, client.right, height, TRUE);
    view_.Place({0, 0, client.right, height});
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<HostWindow*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT CALLBACK HostWindow::ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<HostWindow*>(GetPropA(window, kHostProperty));
    if (message == WM_CONTEXTMENU && self != nullptr) {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        MenuPlace place = self->PlaceAt(point);
        // From the keyboard (Shift+F10, the menu key) the point is (-1, -1): the menu of the
        // selection, or of the empty area when nothing is selected.
        if (point.x == -1 && point.y == -1) {
            const bool selected =
                SendMessageA(self->view_.ListView(), LVM_GETSELECTEDCOUNT, 0, 0) > 0;
            place = selected ? MenuPlace::Selection : MenuPlace::Background;
            point = selected ? self->SelectionPoint() : self->EmptyAreaPoint();
        }
        if (self->options_.ModernMenu)
            self->ShowModernMenu(point, place);
        else
            self->ShowContextMenu(point, place);
        return 0;
    }
    if (self == nullptr || self->viewProc_ == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(self->viewProc_, window, message, wParam, lParam);
}

LRESULT HostWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_SETFOCUS:
        if (view_.ViewWindow() != nullptr)
            SetFocus(view_.ViewWindow());
        return 0;
    case kGetShellBrowser:
        if (options_.NoBrowserMessage)
            return 0;
        return reinterpret_cast<LRESULT>(AnsweredView().Browser());
    case WM_MENUSELECT:
        if (shownMenu_ != nullptr && status_ != nullptr) {
            const UINT id = LOWORD(wParam);
            const std::wstring help = (HIWORD(wParam) & MF_POPUP) ? L"" : shownMenu_->HelpText(id);
            SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(help.c_str()));
        }
        return 0;
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU || shownModernMenu_ == nullptr)
            return DefWindowProcA(window_, message, wParam, lParam);
        item->itemWidth = static_cast<UINT>(GetSystemMetrics(SM_CXSMICON));
        item->itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYSMICON));
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU || shownModernMenu_ == nullptr)
            return DefWindowProcA(window_, message, wParam, lParam);
        HICON icon = shownModernMenu_->IconOf(static_cast<int>(item->itemID) - 1);
        const int size = GetSystemMetrics(SM_CYSMICON);
        if (icon != nullptr)
            DrawIconEx(item->hDC, item->rcItem.left,
                       (item->rcItem.top + item->rcItem.bottom - size) / 2, icon, size, size, 0,
                       nullptr, DI_NORMAL);
        return TRUE;
    }
    case kRunCommandLine:
        RunCommandLine();
        return 0;
    case kPrepareOneCommand:
        PrepareOneCommand();
        return 0;
    case WM_DESTROY:
        CloseFolderView();
        PostQuitMessage(exitCode_);
        return 0;
    default:
        return DefWindowProcA(window_, message, wParam, lParam);
    }
}

POINT HostWindow::SelectionPoint() const {
    POINT point = {0, 0};
    HWND listView = view_.ListView();
    if (listView == nullptr)
        return point;
    int index = static_cast<int>(
        SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    RECT rect = {};
    rect.left = LVIR_LABEL;
    if (index >= 0 &&
        SendMessageA(listView, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect))) {
        point.x = rect.left + 16;
        point.y = (rect.top + rect.bottom) / 2;
    }
    ClientToScreen(listView, &point);
    return point;
}

MenuPlace HostWindow::PlaceAt(POINT screen) const {
    HWND listView = view_.ListView();
    if (listView == nullptr)
        return MenuPlace::Background;
    LVHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(listView, &hit.pt);
    const int item =
        static_cast<int>(SendMessageA(listView, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return item >= 0 ? MenuPlace::Selection : MenuPlace::Background;
}

POINT HostWindow::EmptyAreaPoint() const {
    POINT none = {0, 0};
    HWND listView = view_.ListView();
    if (listView == nullptr)
        return none;
    RECT client;
    GetClientRect(listView, &client);
    // The middle of the view when no item is there, else from the lower right corner, where a
    // folder's items seldom reach, up and to the left.
    std::vector<POINT> candidates = {{client.right / 2, client.bottom / 2}};
    for (int inset = 24; inset < client.bottom / 2 && inset < client.right / 2; inset += 16)
        candidates.push_back({client.right - inset, client.bottom - inset});
    for (POINT point : candidates) {
        LVHITTESTINFO hit = {};
        hit.pt = point;
        if (SendMessageA(listView, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0) {
            ClientToScreen(listView, &point);
            return point;
        }
    }
    return none;
}

void HostWindow::ShowContextMenu(POINT screen, MenuPlace place) {
    ContextMenuBuilder menu;
    if (FAILED(menu.Build(view_.View(), view_.FolderId(), place, Site())))
        return;
    if (options_.OneCommand)
        menu.ReportEntries();
    shownMenu_ = &menu;
    const UINT id = static_cast<UINT>(TrackPopupMenuEx(menu.Menu(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                       screen.x, screen.y, window_, nullptr));
    shownMenu_ = nullptr;
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
    if (id == 0)
        return;
    ReportLine("invoke", menu.LabelOf(id));
    InvokeAndReport([&] { return menu.Invoke(id, window_); });
    if (options_.OneCommand) {
        PauseForStage("result");
        Finish(0);
    }
}

bool HostWindow::BuildModernMenu(MenuPlace place, ExplorerCommandMenu* menu) {
    // The selection goes to the commands as Explorer hands it over: a shell item array made
    // from the view's data object of the selection. The empty area gets an array as well, as
    // Windows 11 hands it: an empty one, or one of the folder itself.
    IShellItemArray* items = nullptr;
    if (place == MenuPlace::Background && options_.BackgroundAsFolder) {
        PCIDLIST_ABSOLUTE folder = view_.FolderId();
        const HRESULT hr = SHCreateShellItemArrayFromIDLists(1, &folder, &items);
        if (FAILED(hr) || items == nullptr) {
            ReportLine("error", "no item array for the folder: " + HresultText(hr));
            return false;
        }
    } else if (place == MenuPlace::Background) {
        items = &emptyItems_;
        items->AddRef();
    } else {
        IDataObject* data = nullptr;
        HRESULT hr = view_.View()->GetItemObject(SVGIO_SELECTION, IID_IDataObject,
                                                 reinterpret_cast<void**>(&data));
        if (SUCCEEDED(hr) && data != nullptr) {
            hr = SHCreateShellItemArrayFromDataObject(data, IID_IShellItemArray,
                                                      reinterpret_cast<void**>(&items));
            data->Release();
        }
        if (FAILED(hr) || items == nullptr) {
            ReportLine("error", "no item array for the selection: " + HresultText(hr));
            return false;
        }
    }
    // Windows runs the commands in a COM surrogate. Wine 8 does too, given a proxy of
    // IExplorerCommand (command_proxy), the full path of its dllhost.exe in DllSurrogate (left
    // empty, it starts C:\windows\syswow64\dllhost.exe, which a 64-bit-only Wine lacks:
    // ERROR_FILE_NOT_FOUND) and a registration under HKEY_CLASSES_ROOT (its COM reads no
    // HKEY_CURRENT_USER\Software\Classes: REGDB_E_CLASSNOTREG). The menu then comes through,
    // but Wine's proxies of the shell's interfaces declare an item id list as its first three
    // bytes, so every id list that the command gets through the site (IFolderView::Item,
    // IPersistFolder2::GetCurFolder) arrives cut: it finds no folder for the empty area and
    // no view of the items' folder for its selection. So the commands run in this process
    // unless --surrogate asks for Windows' way.
    menu->Build(options_.CommandClasses,
                options_.CommandsInSurrogate ? CLSCTX_LOCAL_SERVER : CLSCTX_INPROC_SERVER, items,
                Site());
    if (items != nullptr)
        items->Release();
    return true;
}

void HostWindow::ShowModernMenu(POINT screen, MenuPlace place) {
    std::vector<DWORD> surrogates;
    bool invoked = false;
    bool showMore = false;
    {
        ExplorerCommandMenu menu;
        if (!BuildModernMenu(place, &menu))
            return;
        if (options_.OneCommand)
            menu.ReportEntries();
        surrogates = menu.Surrogates();
        HMENU popup = menu.MakePopup(1);
        const UINT moreId = static_cast<UINT>(menu.EntryCount()) + 1;
        if (popup != nullptr) {
            if (menu.EntryCount() > 0)
                AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(popup, MF_STRING, moreId, L"Show more options");
            shownModernMenu_ = &menu;
            const UINT id = static_cast<UINT>(TrackPopupMenuEx(
                popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, window_, nullptr));
            shownModernMenu_ = nullptr;
            DestroyMenu(popup);
            showMore = id == moreId;
            if (id != 0 && !showMore) {
                const int index = static_cast<int>(id) - 1;
                ReportLineW("invoke", menu.TitleOf(index).c_str());
                InvokeAndReport([&] { return menu.Invoke(index); }, surrogates);
                invoked = true;
            }
        }
    }
    EndSurrogates(surrogates);
    if (showMore) {
        ShowContextMenu(screen, place);
    } else if (invoked && options_.OneCommand) {
        PauseForStage("result");
        Finish(0);
    }
}

void HostWindow::PrepareOneCommand() {
    if (options_.Background) {
        SelectItems(view_.ListView(), {});
    } else if (!options_.Select.empty() && !SelectRequestedItems()) {
        Finish(1);
        return;
    }
    // Where a right-click on the (first) selected item, or on the empty area, goes, in screen
    // coordinates.
    const POINT point = options_.Background ? EmptyAreaPoint() : SelectionPoint();
    if (options_.Background && point.x == 0 && point.y == 0) {
        ReportLine("error", "the view has no empty area");
        Finish(1);
        return;
    }
    ReportLine("ready", std::to_string(point.x) + " " + std::to_string(point.y));
}

void HostWindow::InvokeAndReport(const std::function<HRESULT()>& invoke,
                                 const std::vector<DWORD>& surrogates) {
    HRESULT hr;
    {
        DialogAnswerer answerer(options_.Answers, surrogates);
        hr = invoke();
        ReportLine("dialogs", std::to_string(answerer.Seen()));
    }
    ReportLine("invoke-result", hr == S_OK ? "S_OK" : std::to_string(static_cast<long>(hr)));
    HWND listView = view_.ListView();
    if (listView != nullptr) {
        UpdateWindow(listView);
        ReportListView(listView);
        ReportSelectedFiles(listView, view_.Items());
    }
    ReportClipboard();
}

bool HostWindow::SelectRequestedItems() {
    HWND listView = view_.ListView();
    if (listView == nullptr) {
        ReportLine("error", "the folder view has no list view");
        return false;
    }
    std::vector<int> chosen;
    if (options_.Select.empty()) {
        if (SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0) == 0) {
            ReportLine("error", "the folder is empty");
            return false;
        }
        chosen.push_back(0);
    }
    for (const std::string& wanted : options_.Select) {
        const int found = IndexOfItem(listView, view_.Items(), wanted);
        if (found < 0) {
            ReportLine("error", "no item " + wanted);
            return false;
        }
        chosen.push_back(found);
    }
    SelectItems(listView, chosen);
    SetFocus(listView);
    return true;
}

void HostWindow::RunCommandLine() {
    if (options_.ClearClipboard)
        ClearClipboard(window_);
    if (!options_.ClipboardText.empty())
        PutClipboardText(window_, Wide(options_.ClipboardText));
    if (options_.Background) {
        // A click on the empty area clears the selection before its menu opens.
        SelectItems(view_.ListView(), {});
    } else if (!SelectRequestedItems()) {
        Finish(1);
        return;
    }
    std::vector<std::string> servers;
    const int exitCode =
        options_.ModernMenu ? RunModernCommand(&servers) : RunMenuCommand(&servers);
    if (exitCode == 0)
        ReportServersUnloaded(servers);
    PauseForStage("result");
    Finish(exitCode);
}

int HostWindow::RunMenuCommand(std::vector<std::string>* servers) {
    ContextMenuBuilder menu;
    const MenuPlace place = options_.Background ? MenuPlace::Background : MenuPlace::Selection;
    if (FAILED(menu.Build(view_.View(), view_.FolderId(), place, Site()))) {
        ReportLine("error", "no context menu for the selection");
        return 1;
    }
    menu.ReportEntries();
    *servers = menu.ServerPaths();
    const UINT id = menu.FindByLabel(options_.Invoke);
    if (id == 0) {
        ReportLine("error", "no menu entry " + options_.Invoke);
        return 2;
    }
    ReportLineW("help", menu.HelpText(id).c_str());
    ReportLine("invoke", menu.LabelOf(id));
    InvokeAndReport([&] { return menu.Invoke(id, window_); });
    return 0;
}

int HostWindow::RunModernCommand(std::vector<std::string>* servers) {
    std::vector<DWORD> surrogates;
    int exitCode = 0;
    {
        ExplorerCommandMenu menu;
        if (!BuildModernMenu(options_.Background ? MenuPlace::Background : MenuPlace::Selection,
                             &menu))
            return 1;
        menu.ReportEntries();
        *servers = menu.ServerPaths();
        surrogates = menu.Surrogates();
        const int index = menu.FindByTitle(options_.Invoke);
        if (index < 0) {
            ReportLine("error", "no menu entry " + options_.Invoke);
            exitCode = 2;
        } else {
            ReportLineW("invoke", menu.TitleOf(index).c_str());
            InvokeAndReport([&] { return menu.Invoke(index); }, surrogates);
        }
    }
    EndSurrogates(surrogates);
    return exitCode;
}

void HostWindow::EndSurrogates(const std::vector<DWORD>& surrogates) {
    for (DWORD id : surrogates) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process == nullptr)
            continue;
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

void HostWindow::ReportServersUnloaded(const std::vector<std::string>& servers) {
    // Explorer frees unused servers from time to time; with the menu gone, every handler's
    // objects are released and its DLL should agree to be unloaded.
    CoFreeUnusedLibrariesEx(0, 0);
    for (const std::string& server : servers)
        ReportLine(GetModuleHandleA(server.c_str()) == nullptr ? "server-unloaded"
                                                               : "server-still-loaded",
                   server);
}

void HostWindow::Finish(int exitCode) {
    exitCode_ = exitCode;
    ReportLine("done", std::to_string(exitCode));
    if (!options_.KeepOpen)
        DestroyWindow(window_);
}
