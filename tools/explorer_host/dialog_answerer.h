// Answers the dialogs that appear while a command runs (the handler's own dialog, its message
// boxes, the folder browser): each new dialog window is reported and then given the next
// prepared answer, in order. A dialog left without an answer stays for the user. The dialogs
// of the host's thread are answered from their own modal loop; those of the other processes
// given (a COM surrogate that runs the command) from a thread of the answerer, which cannot
// answer "folder:" there.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "tests/support/modal_driver.h"
#include "tests/support/uncopyable.h"

class DialogAnswerer : private Uncopyable {
public:
    explicit DialogAnswerer(std::vector<std::string> answers,
                            const std::vector<DWORD>& otherProcesses = {});
    ~DialogAnswerer();

    // Dialogs seen so far.
    int Seen() const;

private:
    static DWORD WINAPI WatchOtherProcesses(LPVOID self);
    void Answer(HWND dialog);

    std::vector<std::string> answers_;
    size_t next_ = 0;
    ModalDriver driver_;
    std::vector<HANDLE> processes_;
    std::vector<DWORD> processIds_;
    int seenElsewhere_ = 0;
    mutable std::mutex mutex_;
    HANDLE stop_ = nullptr;
    HANDLE watcher_ = nullptr;
};
