#include "tests/support/test_list_view.h"

#include "tests/support/wide_text.h"
#include "tests/support/window_tree.h"

namespace {
const char kHostClass[] = "VestraneTestListHost";
}

TestListView::TestListView(const std::vector<std::string>& labels) {
    RegisterPlainClass(kHostClass);
    host_ = CreateWindowExA(0, kHostClass, "Vestrane test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    listView_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 400,
                                300, host_, nullptr, GetModuleHandleA(nullptr), nullptr);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 300;
    column.pszText = const_cast<char*>("Name");
    SendMessageA(listView_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageA(listView_, LVM_SETITEMCOUNT, labels.size(), 0);
    for (const std::string& label : labels)
        AddItem(label);
}

TestListView::~TestListView() {
    if (host_ != nullptr)
        DestroyWindow(host_);
}

void TestListView::AddItem(const std::string& label) {
    AddItem(Wide(label));
}

void TestListView::AddItem(const std::wstring& label) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = Count();
    item.pszText = const_cast<wchar_t*>(label.c_str());
    SendMessageW(listView_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int TestListView::Count() const {
    return static_cast<int>(SendMessageA(listView_, LVM_GETITEMCOUNT, 0, 0));
}

void TestListView::SetState(int index, UINT state, UINT mask) {
    LVITEMA item = {};
    item.state = state;
    item.stateMask = mask;
    SendMessageA(listView_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

UINT TestListView::State(int index) const {
    return static_cast<UINT>(SendMessageA(listView_, LVM_GETITEMSTATE, index, ~0u));
}

std::vector<int> TestListView::SelectedIndexes() const {
    std::vector<int> selected;
    for (int index = 0; index < Count(); ++index) {
        if (Selected(index))
            selected.push_back(index);
    }
    return selected;
}

namespace {
const char kHookProperty[] = "VestraneTestProcHook";
}

WindowProcHook::WindowProcHook(HWND window, Handler handler, void* context)
    : window_(window), handler_(handler), context_(context) {
    SetPropA(window_, kHookProperty, this);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
}

WindowProcHook::~WindowProcHook() {
    if (IsWindow(window_)) {
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        RemovePropA(window_, kHookProperty);
    }
}

LRESULT WindowProcHook::CallOriginal(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) const {
    return CallWindowProcA(original_, window, message, wParam, lParam);
}

LRESULT CALLBACK WindowProcHook::Procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* hook = static_cast<WindowProcHook*>(GetPropA(window, kHookProperty));
    if (hook == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return hook->handler_(*hook, window, message, wParam, lParam);
}
