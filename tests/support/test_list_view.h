// A real SysListView32 (report view, one column) in a top-level host window, filled with
// labels given in UTF-8 or in UTF-16, for tests and benchmarks of the selection
// pass.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/support/uncopyable.h"

class TestListView : private Uncopyable {
public:
    // Creates the host and the list view holding one item per label, in this order.
    explicit TestListView(const std::vector<std::string>& labels = {});
    ~TestListView();

    HWND Host() const { return host_; }
    HWND ListView() const { return listView_; }

    void AddItem(const std::string& label);
    void AddItem(const std::wstring& label);
    int Count() const;
    // Sets exactly the states in mask to the bits of state (LVM_SETITEMSTATE).
    void SetState(int index, UINT state, UINT mask);
    // Every state bit of the item (LVM_GETITEMSTATE with all bits).
    UINT State(int index) const;
    bool Selected(int index) const { return (State(index) & LVIS_SELECTED) != 0; }
    // The indexes of the selected items, ascending.
    std::vector<int> SelectedIndexes() const;

private:
    HWND host_ = nullptr;
    HWND listView_ = nullptr;
};

// Replaces a window's procedure while alive; the replacement reaches the old one through
// CallOriginal. One per window at a time.
class WindowProcHook : private Uncopyable {
public:
    using Handler = LRESULT (*)(WindowProcHook& hook, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam);
    WindowProcHook(HWND window, Handler handler, void* context = nullptr);
    ~WindowProcHook();

    LRESULT CallOriginal(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
    void* Context() const { return context_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_;
    Handler handler_;
    void* context_;
    WNDPROC original_ = nullptr;
};
