#include "tests/support/modal_driver.h"

#include <algorithm>

#include "tests/support/wide_text.h"

namespace {

thread_local ModalDriver* activeDriver = nullptr;

bool Contains(const std::vector<HWND>& windows, HWND window) {
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

void Remove(std::vector<HWND>& windows, HWND window) {
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

bool IsDialogClass(HWND window) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, "#32770") == 0;
}

// A timer message comes only when the thread's message loop has nothing else to do: the
// earliest moment the modal loop has run, and where the next look at the window is due.
void LookAgainWhenIdle(TIMERPROC procedure) {
    SetTimer(nullptr, 0, USER_TIMER_MINIMUM, procedure);
}

} // namespace

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
    HWND window = reinterpret_cast<HWND>(wParam);
    if (driver != nullptr && code == HCBT_ACTIVATE && IsDialogClass(window) &&
        !Contains(driver->pending_, window) && !Contains(driver->handled_, window)) {
        driver->pending_.push_back(window);
        LookAgainWhenIdle(OnIdle);
    } else if (driver != nullptr && code == HCBT_DESTROYWND) {
        Remove(driver->pending_, window);
        Remove(driver->handled_, window);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK ModalDriver::OnIdle(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (activeDriver != nullptr)
        activeDriver->HandOverShownWindow();
}

void ModalDriver::HandOverShownWindow() {
    if (pending_.empty())
        return;
    HWND window = pending_.front();
    // Activated before its modal loop has shown it: the loop shows it once it is idle.
    if (!IsWindowVisible(window)) {
        LookAgainWhenIdle(OnIdle);
        return;
    }
    pending_.erase(pending_.begin());
    handled_.push_back(window);
    ++seen_;
    handler_(window);
    if (!pending_.empty())
        LookAgainWhenIdle(OnIdle);
}

std::string WindowText(HWND window) {
    return Utf8(WindowTextW(window));
}

std::string MessageBoxText(HWND box) {
    return WindowText(GetDlgItem(box, 0xFFFF));
}

std::wstring WindowTextW(HWND window) {
    wchar_t text[2048] = {};
    GetWindowTextW(window, text, 2048);
    return text;
}

std::wstring MessageBoxTextW(HWND box) {
    return WindowTextW(GetDlgItem(box, 0xFFFF));
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
          boxes_.push_back({GetWindow(box, GW_OWNER), WindowText(box), MessageBoxText(box)});
          ClickButton(box, answer);
      }) {}
