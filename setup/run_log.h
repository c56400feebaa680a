// Where the messages of a run go when no one is at the screen (/quiet), and the account of them
// that /log asks for. The messages of the whole run pass through message_box's sink, so that
// registration and the package step need to know nothing of either.
#pragma once

#include <windows.h>

// The answer of a quiet run to a message of type MB_OK or MB_YESNO: OK; Yes to the question
// whether to install (the administrator asked for it); No to every other question, which leaves
// things as they are: a folder that others may change is not registered, another folder's
// registration is kept.
int QuietAnswer(UINT textId, UINT type);

// What begins the log's last line of a run, before the exit code.
constexpr wchar_t kLogExitCode[] = L"Exit code: ";

// Takes the run's messages while it lives. Quiet: no box is shown, each message gets its
// QuietAnswer. With a log path: each message is appended to that file as "caption: text" (its
// line breaks as CR LF), a question's answer after it on a line "> Yes" or "> No", and End adds
// a line of kLogExitCode and the code. The file is UTF-8 and begins with a byte order mark when
// the run creates it or finds it empty; what it held is kept, so that one file may gather the
// runs of a script. Without a path nothing is written anywhere.
class RunLog {
public:
    RunLog(bool quiet, const wchar_t* path);
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;
    // False when a log was named and cannot be opened for appending.
    bool Opened() const { return opened_; }
    // Writes the exit code; returns it.
    int End(int exitCode);

private:
    bool opened_ = true;
};
