// Finding and driving the windows of another process, from a test or the dialog driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/uncopyable.h"

// Visible top-level windows of the class "#32770" that belong to the process.
std::vector<HWND> DialogWindowsOf(DWORD processId);
// Waits up to timeoutMs for a visible "#32770" window of the process that is not in
// `known` and for the window's thread to reach its message loop; null when none comes (or
// the process ends first).
HWND WaitForDialogOf(HANDLE process, DWORD processId, const std::vector<HWND>& known = {},
                     DWORD timeoutMs = 10000);

// A started program; killed if still running when the object goes.
class ChildProcess : private Uncopyable {
public:
    // commandLine is used as is (quote the program path yourself).
    explicit ChildProcess(const std::string& commandLine, const std::string& folder = "");
    // The same through the wide API, for a program whose path the ANSI code page cannot hold.
    explicit ChildProcess(const std::wstring& commandLine);
    ~ChildProcess();

    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_; }
    HWND WaitForDialog(const std::vector<HWND>& known = {}, DWORD timeoutMs = 10000) const {
        return WaitForDialogOf(process_, id_, known, timeoutMs);
    }
    // The exit code, or STILL_ACTIVE when the process did not end within timeoutMs.
    DWORD WaitForExit(DWORD timeoutMs = 10000) const;

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};
