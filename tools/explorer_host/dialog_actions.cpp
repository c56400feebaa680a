#include "tools/explorer_host/dialog_actions.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>

#include "tests/support/folder_browser.h"
#include "tools/explorer_host/report_writer.h"

namespace {
std::string stageFile;

// Answers from a window of another process arrive within this time, or never.
constexpr UINT kSendTimeout = 5000;

LRESULT SendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeout, &result);
    return static_cast<LRESULT>(result);
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string ComboItem(HWND combo, int index) {
    const LRESULT length = SendTimed(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0 || length > 4096)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendTimed(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(lstrlenA(text.c_str()));
    return text;
}

// The label of the folder browser's selected folder (same process only).
std::wstring SelectedTreeItem(HWND dialog) {
    const std::vector<std::wstring> chain = BrowserSelectionW(dialog);
    return chain.empty() ? std::wstring() : chain.back();
}

BOOL CALLBACK DescribeChild(HWND child, LPARAM) {
    const int id = GetDlgCtrlID(child);
    const std::string kind = ClassOf(child);
    const std::string idText = std::to_string(id) + " ";
    if (lstrcmpiA(kind.c_str(), "ComboBox") == 0) {
        ReportLine("dialog-combo", idText + ControlTextA(child));
        const LRESULT count = SendTimed(child, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count && i < 100; ++i)
            ReportLine("dialog-combo-item", idText + ComboItem(child, static_cast<int>(i)));
    } else if (lstrcmpiA(kind.c_str(), "Button") == 0) {
        const LONG type = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
        const bool checkable = type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON ||
                               type == BS_AUTOCHECKBOX || type == BS_CHECKBOX;
        if (checkable && SendTimed(child, BM_GETCHECK, 0, 0) == BST_CHECKED)
            ReportLine("dialog-checked", idText + ControlTextA(child));
    } else if (lstrcmpiA(kind.c_str(), "Static") == 0 && id > 0 && id != 0xFFFF) {
        ReportLine("dialog-static", idText + ControlTextA(child));
    }
    return TRUE;
}
} // namespace

std::string ControlTextA(HWND window) {
    char text[2048] = {};
    SendTimed(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    text[sizeof text - 1] = '\0';
    return text;
}

std::vector<std::string> SplitAnswer(const std::string& answer) {
    std::vector<std::string> steps;
    size_t start = 0;
    while (start <= answer.size()) {
        size_t end = answer.find(';', start);
        if (end == std::string::npos)
            end = answer.size();
        if (end > start)
            steps.push_back(answer.substr(start, end - start));
        start = end + 1;
    }
    return steps;
}

void DescribeDialog(HWND dialog) {
    ReportLine("dialog", ControlTextA(dialog));
    // A message box keeps its text in the static control 0xFFFF.
    HWND message = GetDlgItem(dialog, 0xFFFF);
    if (message != nullptr && lstrcmpiA(ClassOf(message).c_str(), "Static") == 0)
        ReportLine("dialog-text", ControlTextA(message));
    EnumChildWindows(dialog, DescribeChild, 0);
}

bool ApplyStep(HWND dialog, const std::string& step) {
    const size_t colon = step.find(':');
    if (colon == std::string::npos)
        return false;
    const std::string verb = step.substr(0, colon);
    const std::string argument = step.substr(colon + 1);
    if (verb == "set") {
        const size_t equals = argument.find('=');
        if (equals == std::string::npos)
            return false;
        const int id = std::atoi(argument.substr(0, equals).c_str());
        const std::string text = argument.substr(equals + 1);
        HWND control = GetDlgItem(dialog, id);
        if (control == nullptr)
            return false;
        // A combo box's text is typed into its edit field, character by character, so that
        // the dialog hears of every change as it does from a user.
        HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr);
        if (edit == nullptr) {
            SendTimed(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            return true;
        }
        SendTimed(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        wchar_t wide[1024] = {};
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 1024);
        for (const wchar_t* at = wide; *at != L'\0'; ++at) {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(edit, WM_CHAR, *at, 0, SMTO_ABORTIFHUNG, kSendTimeout, &result);
        }
        return true;
    }
    if (verb == "click") {
        const int id = std::atoi(argument.c_str());
        HWND button = GetDlgItem(dialog, id);
        if (button != nullptr)
            SendTimed(button, BM_CLICK, 0, 0);
        else
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        return true;
    }
    if (verb == "folder") {
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(argument.c_str()));
        ReportLineW("dialog-folder", SelectedTreeItem(dialog).c_str());
        return true;
    }
    if (verb == "pause") {
        PauseForStage(argument);
        return true;
    }
    if (verb == "wait") {
        PumpMessagesFor(static_cast<DWORD>(std::atoi(argument.c_str())));
        return true;
    }
    if (verb == "report") {
        // A control's text as it stands now: report:ID.
        const int id = std::atoi(argument.c_str());
        ReportLine("dialog-static", argument + " " + ControlTextA(GetDlgItem(dialog, id)));
        return true;
    }
    return false;
}

void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Leave the quit request to the loop that owns it.
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void SetStageFile(const std::string& path) {
    stageFile = path;
}

void PauseForStage(const std::string& name) {
    if (stageFile.empty())
        return;
    HANDLE file = CreateFileA(stageFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, name.data(), static_cast<DWORD>(name.size()), &written, nullptr);
    CloseHandle(file);
    ReportLine("stage", name);
    // Let the windows paint before the picture is taken.
    PumpMessagesFor(300);
    for (int waited = 0; waited < 600; ++waited) {
        if (GetFileAttributesA(stageFile.c_str()) == INVALID_FILE_ATTRIBUTES)
            return;
        PumpMessagesFor(100);
    }
    DeleteFileA(stageFile.c_str());
}
