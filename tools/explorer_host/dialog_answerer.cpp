#include "tools/explorer_host/dialog_answerer.h"

#include <algorithm>

#include "tools/explorer_host/dialog_actions.h"
#include "tools/explorer_host/report_writer.h"

namespace {
// One answerer per thread; the hook and the timer find it here.
thread_local DialogAnswerer* activeAnswerer = nullptr;
} // namespace

DialogAnswerer::DialogAnswerer(std::vector<std::string> answers) : answers_(std::move(answers)) {
    activeAnswerer = this;
    hook_ = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, GetCurrentThreadId());
}

DialogAnswerer::~DialogAnswerer() {
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
    activeAnswerer = nullptr;
}

LRESULT CALLBACK DialogAnswerer::OnCbt(int code, WPARAM wParam, LPARAM lParam) {
    DialogAnswerer* self = activeAnswerer;
    if (code == HCBT_ACTIVATE && self != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        const bool known =
            std::find(self->known_.begin(), self->known_.end(), window) != self->known_.end();
        if (lstrcmpA(className, "#32770") == 0 && !known) {
            self->known_.push_back(window);
            self->pending_.push_back(window);
            // Answered from the dialog's own modal loop, once it is set up and shown.
            SetTimer(nullptr, 0, 100, OnTimer);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogAnswerer::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    DialogAnswerer* self = activeAnswerer;
    if (self == nullptr || self->pending_.empty())
        return;
    HWND dialog = self->pending_.front();
    self->pending_.erase(self->pending_.begin());
    if (IsWindow(dialog))
        self->Answer(dialog);
}

void DialogAnswerer::Answer(HWND dialog) {
    ++seen_;
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
