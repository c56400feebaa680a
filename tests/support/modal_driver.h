// Drives modal windows (dialogs, message boxes, the folder browser) from the test's own
// thread. While a ModalDriver is alive, every dialog-class window ("#32770") activated on
// this thread is handed to the handler once its modal loop runs; the handler reads the
// window and ends it (for instance with ClickButton).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ModalDriver {
public:
    using Handler = std::function<void(HWND window)>;
    explicit ModalDriver(Handler handler);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    // Number of windows handed to the handler so far.
    int Seen() const { return seen_; }

private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);

    Handler handler_;
    HHOOK hook_ = nullptr;
    std::vector<HWND> pending_;
    int seen_ = 0;
    ModalDriver* outer_ = nullptr;
};

// The window's text in the ANSI code page (code page 932 in the test prefix).
std::string WindowTextA(HWND window);
// The message text of a message box.
std::string MessageBoxTextA(HWND box);
// Clicks the button with the given id and waits for the click to be handled.
void ClickButton(HWND dialog, int id);

// What a message box showed.
struct CapturedMessageBox {
    HWND Owner = nullptr;
    std::string Caption;
    std::string Text;
};

// Answers every message box (and dialog) with the button `answer` and records it.
class MessageBoxCatcher {
public:
    explicit MessageBoxCatcher(int answer = IDOK);
    const std::vector<CapturedMessageBox>& Boxes() const { return boxes_; }

private:
    std::vector<CapturedMessageBox> boxes_;
    ModalDriver driver_;
};
