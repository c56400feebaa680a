#include "setup/run_log.h"

#include "common/message_box.h"
#include "common/owned.h"
#include "setup/resource.h"

namespace {

bool quiet = false;
KernelHandle logFile;

// Room for a message whose every line break gains a CR, with its caption.
constexpr int kLineRoom = 2 * kMessageRoom + 80;

void Write(const wchar_t* text) {
    if (!logFile.Valid())
        return;
    wchar_t wide[kLineRoom];
    int length = 0;
    for (int i = 0; text[i] != L'\0' && length < kLineRoom - 2; ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            wide[length++] = L'\r';
        wide[length++] = text[i];
    }
    char bytes[kLineRoom * 3];
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, wide, length, bytes, sizeof bytes, nullptr, nullptr);
    DWORD written = 0;
    if (count > 0)
        WriteFile(logFile.Get(), bytes, static_cast<DWORD>(count), &written, nullptr);
}

int TakeMessage(HWND owner, UINT textId, const wchar_t* text, const wchar_t* caption, UINT type) {
    const int answer = quiet ? QuietAnswer(textId, type) : MessageBoxW(owner, text, caption, type);
    Write(caption);
    Write(L": ");
    Write(text);
    Write(L"\n");
    if ((type & MB_TYPEMASK) == MB_YESNO)
        Write(answer == IDYES ? L"> Yes\n" : L"> No\n");
    return answer;
}

} // namespace

int QuietAnswer(UINT textId, UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return textId == IDS_INSTALL_QUESTION ? IDYES : IDNO;
    default:
        return IDCANCEL;
    }
}

RunLog::RunLog(bool quietRun, const wchar_t* path) {
    quiet = quietRun;
    if (path != nullptr && path[0] != L'\0') {
        // Shared for reading, so that a script may watch the log while the run goes on.
        logFile.Reset(CreateFileW(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        opened_ = logFile.Valid();
        LARGE_INTEGER size = {};
        DWORD written = 0;
        if (opened_ && GetFileSizeEx(logFile.Get(), &size) && size.QuadPart == 0)
            WriteFile(logFile.Get(), "\xEF\xBB\xBF", 3, &written, nullptr);
    }
    if (quiet || logFile.Valid())
        SetMessageSink(TakeMessage);
}

RunLog::~RunLog() {
    SetMessageSink(nullptr);
    logFile.Reset();
    quiet = false;
}

int RunLog::End(int exitCode) {
    wchar_t line[32];
    wsprintfW(line, L"%s%d\n", kLogExitCode, exitCode);
    Write(line);
    return exitCode;
}
