#include "shellext/selection_dialog.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include <oleacc.h>

#include "common/dialog_icon.h"
#include "common/dialog_placement.h"
#include "common/message_box.h"
#include "common/resource_text.h"
#include "engine/compiled_pattern_line.h"
#include "engine/item_names.h"
#include "shellext/module_state.h"
#include "shellext/resource.h"

namespace {

// Room of the text read from the combo box: MAX_PATH, so at most 259 characters.
constexpr int kLineBufferSize = MAX_PATH;

// The count of the items the line would select, kept up to date while the user types: the
// window's names are read and matched a slice at a time on the dialog's own thread, at the
// pace of a timer, whose messages come after every input and paint, so that the dialog keeps
// answering on a folder of any size. Each change of the line starts the count again; names
// read once are not read again.
constexpr UINT_PTR kCountTimer = 1;
constexpr UINT kCountTimerMilliseconds = USER_TIMER_MINIMUM;
// A slice ends after this much time, looked at every few items.
constexpr DWORD kSliceMilliseconds = 20;
constexpr int kItemsBetweenClockReads = 64;
const wchar_t kCountProperty[] = L"Vestrane.Count";

struct LiveCount {
    CompiledPatternLine Line;
    ItemMatcher Matcher;
    int Counted = 0;
    int Matches = 0;
};

struct DialogState {
    RunRecord* Run = nullptr;
    std::unique_ptr<LiveCount> Count;
    // The names on the clipboard as the dialog opened; they stand in for the line while the
    // check box is checked.
    std::unique_ptr<NameList> Names;
    // Tells screen readers that the count is a live region, whose changes they announce.
    ComPtr<IAccPropServices> Accessibility;
};

// The UI Automation property of a live region (UIAutomationClient), and Polite: announced once
// the reader has finished what it is saying.
constexpr GUID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr GUID kAccPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIidAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr LONG kPoliteLiveSetting = 1;
// EVENT_OBJECT_LIVEREGIONCHANGED, which the headers give from Windows 8 on: older Windows
// passes it to no one.
constexpr DWORD kLiveRegionChanged = 0x8019;

bool NamesChecked(HWND dialog) {
    return IsDlgButtonChecked(dialog, IDC_NAMES_FROM_CLIPBOARD) == BST_CHECKED;
}

DialogState* StateOf(HWND dialog) {
    return reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// Adds separator and part to text, cut at its room.
void AppendText(wchar_t (&text)[kMessageRoom], const wchar_t* separator, const wchar_t* part) {
    for (const wchar_t* piece : {separator, part}) {
        const int used = lstrlenW(text);
        lstrcpynW(text + used, piece, kMessageRoom - used);
    }
}

void ShowCount(HWND dialog, const LiveCount& count, const ItemNames& names) {
    wchar_t matches[16];
    wchar_t total[16];
    wsprintfW(matches, L"%d", count.Matches);
    wsprintfW(total, L"%d", names.Count());
    const bool done = count.Counted == names.Count();
    wchar_t format[kMessageRoom];
    LoadText(ModuleInstance, done ? IDS_MATCH_COUNT : IDS_MATCH_COUNTING, format, kMessageRoom);
    wchar_t text[kMessageRoom];
    FormText(text, format, {matches, total});
    const NameList* list = count.Matcher.Names;
    if (list != nullptr && (done || list->LeftOut() > 0)) {
        wchar_t number[16];
        wchar_t part[kMessageRoom];
        if (done) {
            wsprintfW(number, L"%d", static_cast<int>(list->NotFound()));
            LoadText(ModuleInstance, IDS_NAMES_NOT_FOUND, format, kMessageRoom);
            FormText(part, format, {number});
            AppendText(text, L"\n", part);
        }
        if (list->LeftOut() > 0) {
            wsprintfW(number, L"%d", static_cast<int>(list->Count()));
            LoadText(ModuleInstance, IDS_NAMES_LEFT_OUT, format, kMessageRoom);
            FormText(part, format, {number});
            AppendText(text, done ? L", " : L"\n", part);
        }
    }
    HWND shown = GetDlgItem(dialog, IDC_MATCH_COUNT);
    SetWindowTextW(shown, text);
    // A screen reader announces the finished count, not every step of the counting.
    if (done)
        NotifyWinEvent(kLiveRegionChanged, shown, OBJID_CLIENT, CHILDID_SELF);
}

// Reads and matches for one slice; ends the timer once every item is counted.
void CountSlice(HWND dialog) {
    DialogState* state = StateOf(dialog);
    ItemNames* names = state != nullptr ? state->Run->Names : nullptr;
    if (names == nullptr || !state->Count) {
        KillTimer(dialog, kCountTimer);
        return;
    }
    LiveCount& count = *state->Count;
    const DWORD start = GetTickCount();
    while (count.Counted < names->Count()) {
        if (count.Counted == names->Read())
            names->ReadMore(kItemsBetweenClockReads);
        const int end = std::min(names->Read(), count.Counted + kItemsBetweenClockReads);
        for (; count.Counted < end; ++count.Counted)
            count.Matches += names->Matches(count.Matcher, count.Counted) ? 1 : 0;
        if (GetTickCount() - start >= kSliceMilliseconds)
            break;
    }
    ShowCount(dialog, count, *names);
    if (count.Counted == names->Count())
        KillTimer(dialog, kCountTimer);
}

// Counts again for the line: the combo box's text, or the history entry just picked.
void RestartCount(HWND dialog, int pickedEntry = -1) {
    DialogState* state = StateOf(dialog);
    if (state == nullptr || state->Run->Names == nullptr || !state->Count)
        return;
    HWND combo = GetDlgItem(dialog, IDC_PATTERN_COMBO);
    wchar_t line[kRecordTextSize] = {};
    if (pickedEntry >= 0 &&
        SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(pickedEntry), 0) < kRecordTextSize)
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(pickedEntry),
                     reinterpret_cast<LPARAM>(line));
    else
        GetWindowTextW(combo, line, kRecordTextSize);
    LiveCount& count = *state->Count;
    count.Line.Compile(line);
    count.Matcher.Line = &count.Line;
    count.Matcher.Names = NamesChecked(dialog) ? state->Names.get() : nullptr;
    if (count.Matcher.Names != nullptr)
        count.Matcher.Names->ForgetMatches();
    count.Counted = 0;
    count.Matches = 0;
    ShowCount(dialog, count, *state->Run->Names);
    SetTimer(dialog, kCountTimer, kCountTimerMilliseconds, nullptr);
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

int RadioForCombine(DWORD combine) {
    return combine == AddToSelection        ? IDC_ADD_TO_SELECTION
           : combine == RemoveFromSelection ? IDC_REMOVE_FROM_SELECTION
                                            : IDC_REPLACE_SELECTION;
}

DWORD CheckedCombine(HWND dialog) {
    if (IsDlgButtonChecked(dialog, IDC_ADD_TO_SELECTION) == BST_CHECKED)
        return AddToSelection;
    if (IsDlgButtonChecked(dialog, IDC_REMOVE_FROM_SELECTION) == BST_CHECKED)
        return RemoveFromSelection;
    return ReplaceSelection;
}

// The clipboard's text read into names, once, as the dialog opens; the check box tells how many
// lines they are, and is enabled only when there are any.
void OfferClipboardNames(HWND dialog, DialogState& state) {
    state.Names.reset(new (std::nothrow) NameList);
    bool read = false;
    if (state.Names && OpenClipboard(dialog)) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const auto* text =
            data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        if (text != nullptr) {
            // The text may lack its terminator; it is read no further than its memory goes.
            read = state.Names->Read(text, GlobalSize(data) / sizeof(wchar_t));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    if (!read || state.Names->Count() == 0)
        state.Names.reset();
    wchar_t count[16];
    wsprintfW(count, L"%d", state.Names ? static_cast<int>(state.Names->Count()) : 0);
    wchar_t format[kMessageRoom];
    LoadText(ModuleInstance, IDS_NAMES_FROM_CLIPBOARD, format, kMessageRoom);
    wchar_t label[kMessageRoom];
    FormText(label, format, {count});
    SetDlgItemTextW(dialog, IDC_NAMES_FROM_CLIPBOARD, label);
    EnableWindow(GetDlgItem(dialog, IDC_NAMES_FROM_CLIPBOARD), state.Names ? TRUE : FALSE);
}

void MarkCountAsLiveRegion(HWND dialog, DialogState& state) {
    if (FAILED(CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                kIidAccPropServices, state.Accessibility.PutVoid())))
        return;
    VARIANT polite = {};
    polite.vt = VT_I4;
    polite.lVal = kPoliteLiveSetting;
    state.Accessibility->SetHwndProp(GetDlgItem(dialog, IDC_MATCH_COUNT), OBJID_CLIENT,
                                     CHILDID_SELF, kLiveSettingProperty, polite);
}

void Initialize(HWND dialog, RunRecord& run, DialogState& state) {
    ShowDialogIcon(dialog, ModuleInstance, IDI_VESTRANE);
    // Under the mouse, with the pointer near the bottom edge, over the buttons.
    MoveNearCursor(dialog, 7, 8);

    const int radio = RadioForMode(run.ConfiguredMode);
    SendDlgItemMessageW(dialog, radio, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageW(dialog, RadioForCombine(run.Combine), BM_SETCHECK, BST_CHECKED, 0);
    OfferClipboardNames(dialog, state);
    MarkCountAsLiveRegion(dialog, state);

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

void Confirm(HWND dialog, RunRecord& run, DialogState& state) {
    run.PatternLine[0] = L'\0';
    GetWindowTextW(GetDlgItem(dialog, IDC_PATTERN_COMBO), run.PatternLine, kLineBufferSize);
    run.PatternLine[kLineBufferSize - 1] = L'\0';
    run.Action = CheckedAction(dialog);
    run.Combine = CheckedCombine(dialog);
    if (NamesChecked(dialog) && state.Names) {
        state.Names->ForgetMatches();
        run.ClipboardNames = std::move(state.Names);
    }
}

} // namespace

INT_PTR CALLBACK SelectionDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        // The record comes with the dialog, so that a SelectExtension created meanwhile
        // (another context menu, another Explorer thread) cannot take this run's place.
        RunRecord* run = reinterpret_cast<RunRecord*>(lParam);
        DialogState* state = run != nullptr ? new (std::nothrow) DialogState : nullptr;
        if (state == nullptr) {
            EndDialog(dialog, IDCANCEL);
            return 0;
        }
        state->Run = run;
        // Without memory for the count the dialog works as ever, without a count.
        state->Count.reset(new (std::nothrow) LiveCount);
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
        Initialize(dialog, *run, *state);
        RestartCount(dialog);
        // Run from Windows 11's menu, the dialog belongs to a COM surrogate, which may take the
        // foreground only because Explorer allowed it to; inside Explorer this changes nothing.
        SetForegroundWindow(dialog);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kCountTimer)
            CountSlice(dialog);
        return 0;
    case WM_DESTROY: {
        KillTimer(dialog, kCountTimer);
        DialogState* state = StateOf(dialog);
        // The annotation lives in the accessibility runtime, keyed by the window: it goes with it.
        if (state != nullptr && state->Accessibility) {
            MSAAPROPID property = kLiveSettingProperty;
            state->Accessibility->ClearHwndProps(GetDlgItem(dialog, IDC_MATCH_COUNT), OBJID_CLIENT,
                                                 CHILDID_SELF, &property, 1);
        }
        delete state;
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_NAMES_FROM_CLIPBOARD && HIWORD(wParam) == BN_CLICKED) {
            // Checked, the names stand in for the line, which waits unchanged.
            EnableWindow(GetDlgItem(dialog, IDC_PATTERN_COMBO), !NamesChecked(dialog));
            RestartCount(dialog);
            return 0;
        }
        if (LOWORD(wParam) == IDC_PATTERN_COMBO) {
            if (HIWORD(wParam) == CBN_EDITCHANGE)
                RestartCount(dialog);
            else if (HIWORD(wParam) == CBN_SELCHANGE)
                RestartCount(dialog, static_cast<int>(SendDlgItemMessageW(dialog, IDC_PATTERN_COMBO,
                                                                          CB_GETCURSEL, 0, 0)));
            return 0;
        }
        switch (LOWORD(wParam)) {
        case IDOK: {
            DialogState* state = StateOf(dialog);
            if (state != nullptr)
                Confirm(dialog, *state->Run, *state);
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
