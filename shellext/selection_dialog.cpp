#include "shellext/selection_dialog.h"

#include <cstring>

#include "common/dialog_icon.h"
#include "common/dialog_placement.h"
#include "common/resource_text.h"
#include "shellext/module_state.h"
#include "shellext/resource.h"

namespace {

// Room of the text read from the combo box: MAX_PATH, so at most 259 characters.
constexpr int kLineBufferSize = MAX_PATH;

RunRecord* RecordOf(HWND dialog) {
    return reinterpret_cast<RunRecord*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

int RadioForMode(DWORD mode) {
    switch (mode) {
    case ClipboardCopy:
        return IDC_CLIPBOARD_COPY;
    case ClipboardCut:
        return IDC_CLIPBOARD_CUT;
    case CopyToFolder:
        return IDC_COPY_TO_FOLDER;
    case MoveToFolder:
        return IDC_MOVE_TO_FOLDER;
    default:
        // SelectOnly, an UsePrevious without a recorded action, or anything unknown.
        return IDC_SELECT_ONLY;
    }
}

// First checked wins, in this order; with none checked the run only selects.
DWORD CheckedAction(HWND dialog) {
    static const struct {
        int Radio;
        DWORD Action;
    } order[] = {
        {IDC_CLIPBOARD_CUT, ClipboardCut},
        {IDC_CLIPBOARD_COPY, ClipboardCopy},
        {IDC_COPY_TO_FOLDER, CopyToFolder},
        {IDC_MOVE_TO_FOLDER, MoveToFolder},
    };
    for (const auto& entry : order) {
        if (IsDlgButtonChecked(dialog, entry.Radio) == BST_CHECKED)
            return entry.Action;
    }
    return SelectOnly;
}

void Initialize(HWND dialog, RunRecord& run) {
    ShowDialogIcon(dialog, ModuleInstance, IDI_VESTRANE);
    // Under the mouse, with the pointer near the bottom edge, over the buttons.
    MoveNearCursor(dialog, 7, 8);

    const int radio = RadioForMode(run.ConfiguredMode);
    SendDlgItemMessageW(dialog, radio, BM_SETCHECK, BST_CHECKED, 0);

    // The default pattern counts as an initial text even when it is empty; the history's
    // first entry only when there is one.
    wchar_t defaultPattern[kRecordTextSize];
    std::memcpy(defaultPattern, run.DefaultPattern, sizeof defaultPattern);
    defaultPattern[kRecordTextSize - 1] = L'\0';
    WideStringList& history = run.History;
    const wchar_t* initial = run.InitFromHistory == 0 ? defaultPattern : history.GetFirst();

    if (initial == nullptr) {
        SetFocus(GetDlgItem(dialog, radio));
        return;
    }
    HWND combo = GetDlgItem(dialog, IDC_PATTERN_COMBO);
    SetWindowTextW(combo, initial);
    for (const wchar_t* entry = history.GetFirst(); entry != nullptr; entry = history.GetNext())
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    SetFocus(combo);
}

void Confirm(HWND dialog, RunRecord& run) {
    run.PatternLine[0] = L'\0';
    GetWindowTextW(GetDlgItem(dialog, IDC_PATTERN_COMBO), run.PatternLine, kLineBufferSize);
    run.PatternLine[kLineBufferSize - 1] = L'\0';
    run.Action = CheckedAction(dialog);
}

} // namespace

INT_PTR CALLBACK SelectionDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        // The record comes with the dialog, so that a SelectExtension created meanwhile
        // (another context menu, another Explorer thread) cannot take this run's place.
        RunRecord* run = reinterpret_cast<RunRecord*>(lParam);
        if (run == nullptr) {
            EndDialog(dialog, IDCANCEL);
            return 0;
        }
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(run));
        Initialize(dialog, *run);
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            RunRecord* run = RecordOf(dialog);
            if (run != nullptr)
                Confirm(dialog, *run);
            EndDialog(dialog, IDOK);
            break;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        default:
            break;
        }
        return 0;
    default:
        return 0;
    }
}

INT_PTR ShowSelectionDialog(RunRecord& run, HWND owner) {
    const DLGTEMPLATE* dialog = DialogTemplate(ModuleInstance, IDD_SELECTION);
    if (dialog == nullptr)
        return -1;
    return DialogBoxIndirectParamW(ModuleInstance, dialog, owner, SelectionDialog,
                                   reinterpret_cast<LPARAM>(&run));
}
