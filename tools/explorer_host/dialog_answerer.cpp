#include "tools/explorer_host/dialog_answerer.h"

#include "tools/explorer_host/dialog_actions.h"
#include "tools/explorer_host/report_writer.h"

DialogAnswerer::DialogAnswerer(std::vector<std::string> answers)
    : answers_(std::move(answers)), driver_([this](HWND dialog) { Answer(dialog); }) {}

void DialogAnswerer::Answer(HWND dialog) {
    DescribeDialog(dialog);
    if (next_ >= answers_.size()) {
        ReportLine("dialog-unanswered", ControlTextA(dialog));
        return;
    }
    const std::string answer = answers_[next_++];
    for (const std::string& step : SplitAnswer(answer)) {
        if (!IsWindow(dialog)) {
            ReportLine("answer-failed", step + " (the dialog has closed)");
            return;
        }
        if (!ApplyStep(dialog, step))
            ReportLine("answer-failed", step);
    }
}
