#include "tools/explorer_host/dialog_answerer.h"

#include <algorithm>

#include "tests/support/process_windows.h"
#include "tools/explorer_host/dialog_actions.h"
#include "tools/explorer_host/report_writer.h"

namespace {
// How long the watcher looks at one process before it looks whether to stop.
constexpr DWORD kWatchSliceMs = 100;
} // namespace

DialogAnswerer::DialogAnswerer(std::vector<std::string> answers,
                               const std::vector<DWORD>& otherProcesses)
    : answers_(std::move(answers)), driver_([this](HWND dialog) { Answer(dialog); }) {
    for (DWORD id : otherProcesses) {
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id);
        if (process == nullptr) {
            ReportLine("answer-failed", "cannot watch process " + std::to_string(id));
            continue;
        }
        processes_.push_back(process);
        processIds_.push_back(id);
    }
    if (processes_.empty())
        return;
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    watcher_ = CreateThread(nullptr, 0, WatchOtherProcesses, this, 0, nullptr);
}

DialogAnswerer::~DialogAnswerer() {
    if (watcher_ != nullptr) {
        SetEvent(stop_);
        WaitForSingleObject(watcher_, INFINITE);
        CloseHandle(watcher_);
    }
    if (stop_ != nullptr)
        CloseHandle(stop_);
    for (HANDLE process : processes_)
        CloseHandle(process);
}

int DialogAnswerer::Seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return driver_.Seen() + seenElsewhere_;
}

DWORD WINAPI DialogAnswerer::WatchOtherProcesses(LPVOID data) {
    auto* self = static_cast<DialogAnswerer*>(data);
    std::vector<HWND> known;
    while (WaitForSingleObject(self->stop_, 0) == WAIT_TIMEOUT) {
        bool watched = false;
        for (size_t i = 0; i < self->processes_.size(); ++i) {
            if (WaitForSingleObject(self->processes_[i], 0) == WAIT_OBJECT_0)
                continue;
            watched = true;
            HWND dialog =
                WaitForDialogOf(self->processes_[i], self->processIds_[i], known, kWatchSliceMs);
            if (dialog == nullptr)
                continue;
            known.push_back(dialog);
            {
                std::lock_guard<std::mutex> lock(self->mutex_);
                ++self->seenElsewhere_;
            }
            self->Answer(dialog);
        }
        // Forget the windows that have gone, so that a handle used again counts as new.
        known.erase(std::remove_if(known.begin(), known.end(),
                                   [](HWND window) { return !IsWindow(window); }),
                    known.end());
        if (!watched)
            WaitForSingleObject(self->stop_, kWatchSliceMs);
    }
    return 0;
}

void DialogAnswerer::Answer(HWND dialog) {
    DescribeDialog(dialog);
    std::string answer;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (next_ >= answers_.size()) {
            ReportLine("dialog-unanswered", ControlTextA(dialog));
            return;
        }
        answer = answers_[next_++];
    }
    for (const std::string& step : SplitAnswer(answer)) {
        if (!IsWindow(dialog)) {
            ReportLine("answer-failed", step + " (the dialog has closed)");
            return;
        }
        if (!ApplyStep(dialog, step))
            ReportLine("answer-failed", step);
    }
}
