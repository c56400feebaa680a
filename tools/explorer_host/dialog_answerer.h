// Answers the dialogs that appear on the host's thread while a command runs (the handler's
// own dialog, its message boxes, the folder browser): each new dialog window is reported and
// then given the next prepared answer, in order. A dialog left without an answer stays for
// the user.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/modal_driver.h"

class DialogAnswerer {
public:
    explicit DialogAnswerer(std::vector<std::string> answers);

    // Dialogs seen so far.
    int Seen() const { return driver_.Seen(); }

private:
    void Answer(HWND dialog);

    std::vector<std::string> answers_;
    size_t next_ = 0;
    ModalDriver driver_;
};
