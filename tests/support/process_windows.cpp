#include "tests/support/process_windows.h"

#include <algorithm>

namespace {

struct Search {
    DWORD ProcessId;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == search->ProcessId && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0)
        search->Found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> DialogWindowsOf(DWORD processId) {
    Search search{processId, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND WaitForDialogOf(HANDLE process, DWORD processId, const std::vector<HWND>& known,
                     DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        for (HWND window : DialogWindowsOf(processId)) {
            if (std::find(known.begin(), known.end(), window) == known.end()) {
                // The window's thread answers only from its message loop, so once it has
                // answered, the window is set up.
                DWORD_PTR ignored = 0;
                SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored);
                return window;
            }
        }
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return nullptr;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(20);
    }
}

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::string line = commandLine;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
        CloseHandle(started.hThread);
        process_ = started.hProcess;
        id_ = started.dwProcessId;
    }
}

ChildProcess::ChildProcess(const std::wstring& commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::wstring line = commandLine;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &started)) {
        CloseHandle(started.hThread);
        process_ = started.hProcess;
        id_ = started.dwProcessId;
    }
}

ChildProcess::~ChildProcess() {
    if (process_ == nullptr)
        return;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

DWORD ChildProcess::WaitForExit(DWORD timeoutMs) const {
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_, &code);
    return code;
}
