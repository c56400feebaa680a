// Drives modal windows (dialogs, message boxes, the folder browser) from their own thread,
// as a user at the keyboard would: while a ModalDriver is alive, every dialog-class window
// ("#32770") activated on this thread is handed to the handler once, from the window's own
// modal loop, as soon as the loop has shown it and has nothing else to do. The handler reads
// the window and ends it (for instance with ClickButton). Shared by the tests and the
// stand-in Explorer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/uncopyable.h"

class ModalDriver : private Uncopyable {
public:
    using Handler = std::function<void(HWND window)>;
    explicit ModalDriver(Handler handler);
    ~ModalDriver();

    // Number of windows handed to the handler so far.
    int Seen() const { return seen_; }

private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnIdle(HWND, UINT, UINT_PTR timer, DWORD);
    void HandOverShownWindow();

    Handler handler_;
    HHOOK hook_ = nullptr;
    // Activated, not yet handed over.
    std::vector<HWND> pending_;
    // Handed over and not yet destroyed: a window activated again is not handed over again.
    std::vector<HWND> handled_;
    int seen_ = 0;
    ModalDriver* outer_ = nullptr;
};

// The window's text in UTF-8.
std::string WindowText(HWND window);
// The message text of a message box.
std::string MessageBoxText(HWND box);
// The window's text and a message box's text in UTF-16.
std::wstring WindowTextW(HWND window);
std::wstring MessageBoxTextW(HWND box);
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
