// The stand-in Explorer: shows a folder in the shell's folder view and offers the context
// menu of the registered handlers, interactively or driven from the command line.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "tools/explorer_host/command_line.h"
#include "tools/explorer_host/dialog_actions.h"
#include "tools/explorer_host/host_options.h"
#include "tools/explorer_host/host_window.h"
#include "tools/explorer_host/report_writer.h"

namespace {
DWORD WINAPI Watchdog(LPVOID seconds) {
    Sleep(static_cast<DWORD>(reinterpret_cast<INT_PTR>(seconds)) * 1000);
    ReportLine("error", "timeout");
    ExitProcess(3);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HostOptions options;
    std::string error;
    const bool parsed = ParseHostOptions(CommandLineArguments(), &options, &error);
    if (!OpenReport(options.ReportPath.c_str()))
        return 1;
    if (!parsed) {
        ReportLine("error", error);
        ReportLine("usage", kHostUsage);
        return 1;
    }
    if (options.Desktop && !options.Folder.empty()) {
        ReportLine("error", "--desktop and a folder given");
        return 1;
    }
    if (options.Folder.empty() && !options.Desktop) {
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        options.Folder = current;
    }
    SetStageFile(options.StageFile);
    int timeout = options.TimeoutSeconds;
    if (timeout < 0)
        timeout = options.Invoke.empty() && !options.OneCommand ? 0 : 90;
    if (timeout > 0) {
        HANDLE thread =
            CreateThread(nullptr, 0, Watchdog,
                         reinterpret_cast<LPVOID>(static_cast<INT_PTR>(timeout)), 0, nullptr);
        if (thread != nullptr)
            CloseHandle(thread);
    }

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (FAILED(OleInitialize(nullptr))) {
        ReportLine("error", "OleInitialize failed");
        return 1;
    }
    int exitCode = 1;
    {
        HostWindow window(options);
        if (window.Create(instance))
            exitCode = window.Run();
    }
    OleUninitialize();
    CloseReport();
    return exitCode;
}
