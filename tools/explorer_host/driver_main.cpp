// dialog-driver: starts a program and answers its dialogs and message boxes from outside, in
// the order they appear, the way a user at the keyboard would; reports what each one showed.
//   dialog-driver [--report FILE] [--stage-file FILE] [--timeout SECONDS] [--answer STEPS]...
//                 -- PROGRAM [ARGUMENTS...]
// The exit code is the program's, or 3 when it has not ended within the timeout.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/explorer_host/dialog_actions.h"
#include "tools/explorer_host/report_writer.h"

namespace {
struct DriverOptions {
    std::string ReportPath;
    std::string StageFile;
    int TimeoutSeconds = 60;
    std::vector<std::string> Answers;
    std::vector<std::string> Command;
};

struct WindowSearch {
    DWORD ProcessId;
    const std::vector<HWND>* Known;
    HWND Found;
};

BOOL CALLBACK FindNewDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->ProcessId || !IsWindowVisible(window))
        return TRUE;
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0)
        return TRUE;
    if (std::find(search->Known->begin(), search->Known->end(), window) != search->Known->end())
        return TRUE;
    search->Found = window;
    return FALSE;
}

bool Parse(const std::vector<std::string>& arguments, DriverOptions* options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--") {
            options->Command.assign(arguments.begin() + static_cast<long>(i) + 1, arguments.end());
            return !options->Command.empty();
        }
        if (i + 1 >= arguments.size())
            return false;
        const std::string& value = arguments[++i];
        if (name == "--report")
            options->ReportPath = value;
        else if (name == "--stage-file")
            options->StageFile = value;
        else if (name == "--timeout")
            options->TimeoutSeconds = std::atoi(value.c_str());
        else if (name == "--answer")
            options->Answers.push_back(value);
        else
            return false;
    }
    return false;
}

std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(WideToAnsi(wide[i]));
    LocalFree(wide);
    return arguments;
}

// The command line as the program's own parser reads it back: arguments with blanks quoted.
std::string CommandLine(const std::vector<std::string>& command) {
    std::string line;
    for (const std::string& argument : command) {
        if (!line.empty())
            line += ' ';
        if (argument.find_first_of(" \t") != std::string::npos)
            line += '"' + argument + '"';
        else
            line += argument;
    }
    return line;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    DriverOptions options;
    const bool parsed = Parse(Arguments(), &options);
    if (!OpenReport(options.ReportPath.c_str()))
        return 1;
    if (!parsed) {
        ReportLine("error", "usage: dialog-driver [--report FILE] [--stage-file FILE] "
                            "[--timeout SECONDS] [--answer STEPS]... -- PROGRAM [ARGUMENTS...]");
        return 1;
    }
    SetStageFile(options.StageFile);

    std::string line = CommandLine(options.Command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ReportLine("error", "cannot start " + line);
        return 1;
    }
    ReportLine("start", line);

    std::vector<HWND> known;
    size_t next = 0;
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(options.TimeoutSeconds) * 1000;
    int exitCode = 3;
    for (;;) {
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            exitCode = static_cast<int>(code);
            ReportLine("exit", std::to_string(exitCode));
            break;
        }
        if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
            ReportLine("error", "timeout");
            TerminateProcess(process.hProcess, 3);
            break;
        }
        WindowSearch search = {process.dwProcessId, &known, nullptr};
        EnumWindows(FindNewDialog, reinterpret_cast<LPARAM>(&search));
        if (search.Found == nullptr)
            continue;
        known.push_back(search.Found);
        // Let the dialog finish its own setup before it is read.
        Sleep(200);
        DescribeDialog(search.Found);
        if (next >= options.Answers.size()) {
            ReportLine("dialog-unanswered", ControlTextA(search.Found));
            continue;
        }
        for (const std::string& step : SplitAnswer(options.Answers[next++])) {
            if (!IsWindow(search.Found) || !ApplyStep(search.Found, step))
                ReportLine("answer-failed", step);
        }
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseReport();
    return exitCode;
}
