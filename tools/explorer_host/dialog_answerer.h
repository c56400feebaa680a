// Answers the dialogs that appear on the host's thread while a command runs (the handler's
// own dialog, its message boxes, the folder browser): each new dialog window is reported and
// then given the next prepared answer, in order. A dialog left without an answer stays for
// the user.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class DialogAnswerer {
public:
    explicit DialogAnswerer(std::vector<std::string> answers);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Dialogs seen so far.
    int Seen() const { return seen_; }

private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);
    void Answer(HWND dialog);

    std::vector<std::string> answers_;
    size_t next_ = 0;
    std::vector<HWND> pending_;
    std::vector<HWND> known_;
    HHOOK hook_ = nullptr;
    int seen_ = 0;
};
