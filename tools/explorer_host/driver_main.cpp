// dialog-driver: starts a program and answers its dialogs and message boxes from outside, in
// the order they appear, the way a user at the keyboard would; reports what each one showed.
//   dialog-driver [--report FILE] [--stage-file FILE] [--timeout SECONDS] [--answer STEPS]...
//                 -- PROGRAM [ARGUMENTS...]
// The exit code is the program's, or 3 when it has not ended within the timeout.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/process_windows.h"
#include "tools/explorer_host/command_line.h"
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

void Answer(HWND dialog, const std::string* answer) {
    DescribeDialog(dialog);
    if (answer == nullptr) {
        ReportLine("dialog-unanswered", ControlTextA(dialog));
        return;
    }
    for (const std::string& step : SplitAnswer(*answer)) {
        if (!IsWindow(dialog) || !ApplyStep(dialog, step))
            ReportLine("answer-failed", step);
    }
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    DriverOptions options;
    const bool parsed = Parse(CommandLineArguments(), &options);
    if (!OpenReport(options.ReportPath.c_str()))
        return 1;
    if (!parsed) {
        ReportLine("error", "usage: dialog-driver [--report FILE] [--stage-file FILE] "
                            "[--timeout SECONDS] [--answer STEPS]... -- PROGRAM [ARGUMENTS...]");
        return 1;
    }
    SetStageFile(options.StageFile);

    const std::string line = JoinCommandLine(options.Command);
    int exitCode = 3;
    {
        ChildProcess program(line);
        if (!program.Started()) {
            ReportLine("error", "cannot start " + line);
            return 1;
        }
        ReportLine("start", line);
        std::vector<HWND> known;
        const DWORD deadline = GetTickCount() + static_cast<DWORD>(options.TimeoutSeconds) * 1000;
        for (;;) {
            const LONG left = static_cast<LONG>(deadline - GetTickCount());
            HWND dialog =
                left > 0 ? program.WaitForDialog(known, static_cast<DWORD>(left)) : nullptr;
            if (dialog == nullptr)
                break;
            known.push_back(dialog);
            Answer(dialog, known.size() <= options.Answers.size()
                               ? &options.Answers[known.size() - 1]
                               : nullptr);
        }
        const DWORD code = program.WaitForExit(0);
        if (code == STILL_ACTIVE) {
            // The program is ended when it goes out of scope.
            ReportLine("error", "timeout");
        } else {
            exitCode = static_cast<int>(code);
            ReportLine("exit", std::to_string(exitCode));
        }
    }
    CloseReport();
    return exitCode;
}
