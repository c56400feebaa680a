#include "tests/support/modal_driver.h"

#include <algorithm>

namespace {
thread_local ModalDriver* activeDriver = nullptr;
}

ModalDriver::ModalDriver(Handler handler) : handler_(std::move(handler)) {
    outer_ = activeDriver;
    activeDriver = this;
    hook_ = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, GetCurrentThreadId());
}

ModalDriver::~ModalDriver() {
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
    activeDriver = outer_;
}

LRESULT CALLBACK ModalDriver::OnCbt(int code, WPARAM wParam, LPARAM lParam) {
    ModalDriver* driver = activeDriver;
    if (code == HCBT_ACTIVATE && driver != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        const bool known = std::find(driver->pending_.begin(), driver->pending_.end(), window) !=
                           driver->pending_.end();
        if (lstrcmpA(className, "#32770") == 0 && !known) {
            driver->pending_.push_back(window);
            // The handler runs from the modal loop, once the window is fully set up.
            SetTimer(nullptr, 0, 20, OnTimer);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK ModalDriver::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    ModalDriver* driver = activeDriver;
    if (driver == nullptr || driver->pending_.empty())
        return;
    HWND window = driver->pending_.front();
    if (IsWindow(window) && !IsWindowVisible(window)) {
        // Activated, but the modal loop has not shown it yet: look again shortly.
        SetTimer(nullptr, 0, 20, OnTimer);
        return;
    }
    driver->pending_.erase(driver->pending_.begin());
    if (!IsWindow(window))
        return;
    ++driver->seen_;
    driver->handler_(window);
}

std::string WindowTextA(HWND window) {
    char text[2048] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string MessageBoxTextA(HWND box) {
    return WindowTextA(GetDlgItem(box, 0xFFFF));
}

void ClickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button != nullptr) {
        SendMessageA(button, BM_CLICK, 0, 0);
    } else {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
}

MessageBoxCatcher::MessageBoxCatcher(int answer)
    : driver_([this, answer](HWND box) {
          boxes_.push_back({GetWindow(box, GW_OWNER), WindowTextA(box), MessageBoxTextA(box)});
          ClickButton(box, answer);
      }) {}
