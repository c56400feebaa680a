// Benchmark of the selection pass under Wine (not a test): the whole RunSelection over real
// list views of 1,000, 10,000 and 100,000 items, next to a bare loop that sends the messages
// of the pass as it was first built (LVM_GETNEXTITEM, LVM_GETITEMA for the text and
// LVM_SETITEMA for the state of every item), leaves out matching and collecting, and makes
// the same selection changes; twice: from nothing selected (about a third of the items
// match) and with every item changing. Beside each, the LVN_ITEMCHANGING and
// LVN_ITEMCHANGED notifications that the list view's parent got. Then the right-click: what the
// built Vestrane.dll costs each context menu on files (Initialize, QueryContextMenu,
// GetCommandString) with a real shell data object, next to the least any handler pays to read that
// data object, and the module load beside it. Then the pass through the shell's folder view
// (RunViewSelection) next to the list-view pass on the same real folders of 1,000 and 10,000
// files, shown in Wine's folder view in today's window layout (100,000 do not fit: Wine creates
// files in a folder that holds 60,000 at about 50 a second). Prints four tables: the first
// followed by taking the matches away from a selection of everything else, with paths; the
// argument "pass" prints only those, "kept" only the taking away, "right-click" only the
// second, "view [COUNT...]" only the third (for the counts given).
//
//   cmake --build build/mingw64 --target bench_selection_pass &&
//   tools/wine-run --prefix build/mingw64/wineprefix build/mingw64/tools/bench_selection_pass.exe
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/shared_facts.h"
#include "common/resource_text.h"
#include "engine/pattern_line.h"
#include "shellext/resource.h"
#include "engine/selection_pass.h"
#include "engine/view_pass.h"
#include "shellext/select_extension.h"
#include "tests/shellext/built_dll.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/shell_view.h"
#include "tests/support/test_list_view.h"

namespace {

const wchar_t kPatternLine[] = L"*.txt .doc";

// Whether the line selects a name (UTF-8).
bool LineSelects(const std::string& name) {
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, wide, MAX_PATH) == 0)
        return false;
    return MatchPatternLine(kPatternLine, wide) != 0;
}

std::vector<std::string> RealisticNames(int count) {
    static const char* const kExtensions[] = {".txt", ".doc", ".jpg", ".xls", ".pdf", ""};
    static const char* const kStems[] = {"report",           "IMG_",   "notes",
                                         "Meeting minutes ", "backup", "表"};
    std::vector<std::string> names;
    names.reserve(count);
    for (int index = 0; index < count; ++index) {
        names.push_back(std::string(kStems[index % 6]) + std::to_string(index) +
                        kExtensions[(index / 6 + index) % 6]);
    }
    return names;
}

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value;
    }();
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

void SetSelected(HWND listView, int index, bool selected) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

// The selection a round starts from: nothing selected, or exactly the items that do not
// match, so that every item changes.
enum class Start { NothingSelected, EveryItemChanges };

void PrepareSelection(HWND listView, Start start, const std::vector<bool>& outcome) {
    SetSelected(listView, -1, false);
    if (start == Start::EveryItemChanges) {
        for (std::size_t index = 0; index < outcome.size(); ++index) {
            if (!outcome[index])
                SetSelected(listView, static_cast<int>(index), true);
        }
    }
}

// The change notifications the list view sends its parent.
LRESULT CountChanges(WindowProcHook& hook, HWND window, UINT message, WPARAM wParam,
                     LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        if (code == LVN_ITEMCHANGING || code == LVN_ITEMCHANGED)
            ++*static_cast<long*>(hook.Context());
    }
    return hook.CallOriginal(window, message, wParam, lParam);
}

// The pass's messages in the pass's order, with the outcome known beforehand.
void BareLoop(HWND listView, const std::vector<bool>& outcome) {
    char text[MAX_PATH];
    LVITEMA item = {};
    int index = -1;
    for (;;) {
        index = static_cast<int>(
            SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_ALL));
        if (index < 0)
            break;
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageA(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.mask = LVIF_STATE;
        item.state = outcome[index] ? LVIS_SELECTED : 0;
        item.stateMask = LVIS_SELECTED;
        SendMessageA(listView, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

// One timed run from the given start, the list view focused (the pass ends by focusing it,
// and a focused list view repaints changed items).
double TimeOnce(HWND listView, Start from, const std::vector<bool>& outcome,
                const std::function<void()>& run) {
    PrepareSelection(listView, from, outcome);
    SetFocus(listView);
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    run();
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

// The right-click.

constexpr int kRightClickRounds = 2000;
constexpr int kModuleLoadRounds = 200;

double Microseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    return 1000.0 * Milliseconds(start, end);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// Samples of one step; the first round is kept apart (a user's first right-click after
// Explorer loaded the DLL), the rest give the median and the minimum.
struct Samples {
    bool HasFirst = false;
    double First = 0;
    std::vector<double> Rest;

    void Add(double value) {
        if (HasFirst) {
            Rest.push_back(value);
        } else {
            First = value;
            HasFirst = true;
        }
    }
    double Median() {
        std::sort(Rest.begin(), Rest.end());
        return Rest.empty() ? 0 : Rest[Rest.size() / 2];
    }
    double Min() {
        std::sort(Rest.begin(), Rest.end());
        return Rest.empty() ? 0 : Rest.front();
    }
};

void PrintRow(const char* name, Samples& samples) {
    std::printf("  %-50s %8.1f %8.1f %8.1f\n", name, samples.First, samples.Median(),
                samples.Min());
}

// What every handler pays to learn the selection: the shell renders CF_HDROP, the first
// path is read.
void ReadFirstPath(IDataObject* data) {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium)))
        return;
    wchar_t path[MAX_PATH];
    DragQueryFileW(static_cast<HDROP>(medium.hGlobal), 0, path, MAX_PATH);
    ReleaseStgMedium(&medium);
}

// A pass as a run makes it: every item read as it stands.
void RunFresh(RunRecord& record, HWND listView) {
    RunSelection(record, listView);
}
void RunFresh(RunRecord& record, IFolderView* view) {
    RunViewSelection(record, view);
}

// A record for a pass over the line in folder.
RunRecord BenchRecord(const wchar_t* folder, DWORD action) {
    RunRecord record;
    lstrcpynW(record.PatternLine, kPatternLine, kRecordTextSize);
    lstrcpynW(record.SourceFolder, folder, MAX_PATH);
    record.Action = action;
    return record;
}

// The steps of one right-click, in microseconds.
enum Step { Create, Initialize, QueryContextMenu, GetCommandString, Release, kStepCount };

// One right-click as Explorer makes it, each step timed. False when the DLL does not
// answer as it should, so that a broken build never passes for a fast one.
bool RightClickOnce(const BuiltDll& dll, IDataObject* data, double (&times)[kStepCount]) {
    LARGE_INTEGER start = Now();
    IClassFactory* factory = nullptr;
    IContextMenu* menu = nullptr;
    if (dll.GetClassObject(kVestraneClassId, IID_IClassFactory,
                           reinterpret_cast<void**>(&factory)) != S_OK)
        return false;
    const HRESULT created =
        factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu));
    factory->Release();
    if (created != S_OK)
        return false;
    IShellExtInit* init = nullptr;
    menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init));
    LARGE_INTEGER end = Now();
    times[Create] = Microseconds(start, end);

    start = Now();
    const HRESULT initialized = init->Initialize(nullptr, data, nullptr);
    end = Now();
    times[Initialize] = Microseconds(start, end);
    init->Release();

    HMENU popup = CreatePopupMenu();
    start = Now();
    const HRESULT added = menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL);
    end = Now();
    times[QueryContextMenu] = Microseconds(start, end);
    wchar_t entry[64] = {};
    GetMenuStringW(popup, 0, entry, 64, MF_BYPOSITION);
    DestroyMenu(popup);

    wchar_t help[MAX_PATH] = {};
    start = Now();
    menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(help), MAX_PATH);
    end = Now();
    times[GetCommandString] = Microseconds(start, end);

    start = Now();
    const ULONG left = menu->Release();
    end = Now();
    times[Release] = Microseconds(start, end);

    wchar_t entryText[64] = {};
    wchar_t helpText[MAX_PATH] = {};
    LoadText(dll.Module(), IDS_MENU_ENTRY, entryText, 64);
    LoadText(dll.Module(), IDS_MENU_HELP, helpText, MAX_PATH);
    return initialized == S_OK && added == MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1) &&
           lstrcmpW(entry, entryText) == 0 && lstrcmpW(help, helpText) == 0 && left == 0;
}

// A module load as Explorer's first right-click pays it: LoadLibrary and the export looked
// up; unloaded again after each round.
bool TimeModuleLoads(const std::string& path, Samples& loads) {
    for (int round = 0; round < kModuleLoadRounds; ++round) {
        const LARGE_INTEGER start = Now();
        auto dll = std::make_unique<BuiltDll>();
        const LARGE_INTEGER end = Now();
        if (!dll->Loaded())
            return false;
        loads.Add(Microseconds(start, end));
        if (dll->CanUnloadNow() != S_OK)
            return false;
        dll.reset();
        if (GetModuleHandleA(path.c_str()) != nullptr)
            return false;
    }
    return true;
}

int RightClickTable() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::fprintf(stderr, "COM does not start\n");
        return 1;
    }
    const std::string dllPath = BuiltDllPath();
    Samples loads;
    if (!TimeModuleLoads(dllPath, loads)) {
        std::fprintf(stderr, "%s does not load and unload as Explorer expects\n", dllPath.c_str());
        return 1;
    }

    std::printf("\nRight-click through the built DLL under Wine (%s),\n"
                "microseconds: the first round after the module load, then the median and the\n"
                "minimum of %d rounds. Target: Initialize + QueryContextMenu +\n"
                "GetCommandString <= 1000.\n",
                dllPath.c_str(), kRightClickRounds);
    std::printf("  %-50s %8s %8s %8s\n", "", "first", "median", "min");
    PrintRow("module load (LoadLibrary, not counted)", loads);

    ScratchFolder folder("vestrane-bench-click");
    for (const int selected : {1, 1000}) {
        std::vector<std::string> names;
        for (int index = 0; index < selected; ++index)
            names.push_back("report " + std::to_string(index) + ".txt");
        for (const std::string& name : names)
            folder.WriteFile(name);
        IShellFolder* shellFolder = BindFolder(folder.Path());
        IDataObject* data = ShellDataObject(shellFolder, names);
        if (data == nullptr) {
            std::fprintf(stderr, "no shell data object for %s\n", folder.Path().c_str());
            return 1;
        }

        auto dll = std::make_unique<BuiltDll>();
        Samples steps[kStepCount];
        Samples floor;
        Samples handler;
        for (int round = 0; round < kRightClickRounds; ++round) {
            double times[kStepCount] = {};
            if (!RightClickOnce(*dll, data, times)) {
                std::fprintf(stderr, "the DLL did not answer the right-click as it should\n");
                return 1;
            }
            for (int step = 0; step < kStepCount; ++step)
                steps[step].Add(times[step]);
            handler.Add(times[Initialize] + times[QueryContextMenu] + times[GetCommandString]);
            const LARGE_INTEGER start = Now();
            ReadFirstPath(data);
            floor.Add(Microseconds(start, Now()));
        }
        dll.reset();
        data->Release();
        shellFolder->Release();

        std::printf("  %d file%s selected:\n", selected, selected == 1 ? "" : "s");
        PrintRow("create (DllGetClassObject, CreateInstance)", steps[Create]);
        PrintRow("Initialize", steps[Initialize]);
        PrintRow("QueryContextMenu", steps[QueryContextMenu]);
        PrintRow("GetCommandString (GCS_HELPTEXTW)", steps[GetCommandString]);
        PrintRow("Release", steps[Release]);
        PrintRow("Initialize + QueryContextMenu + GetCommandString", handler);
        PrintRow("baseline: GetData(CF_HDROP) + DragQueryFileW", floor);
    }
    CoUninitialize();
    return 0;
}

void PassTable(Start start, const std::vector<int>& counts) {
    for (int count : counts) {
        const std::vector<std::string> names = RealisticNames(count);
        TestListView list(names);
        HWND listView = list.ListView();
        std::vector<bool> outcome(names.size());
        for (std::size_t index = 0; index < names.size(); ++index)
            outcome[index] = LineSelects(names[index]);

        // Collecting paths without an action behind it: every match's full path is built.
        RunRecord select = BenchRecord(L"C:\\users\\bench\\Documents", SelectOnly);
        RunRecord collect = BenchRecord(L"C:\\users\\bench\\Documents", UsePrevious);

        // The three are interleaved round by round, so that other load on the machine
        // falls on all of them alike; each keeps its best round.
        const int rounds = count >= 100000 ? 2 : 7;
        double bare = 1e300;
        double pass = 1e300;
        double passWithPaths = 1e300;
        for (int round = 0; round < rounds; ++round) {
            bare = std::min(
                bare, TimeOnce(listView, start, outcome, [&] { BareLoop(listView, outcome); }));
            pass = std::min(
                pass, TimeOnce(listView, start, outcome, [&] { RunFresh(select, listView); }));
            passWithPaths = std::min(passWithPaths, TimeOnce(listView, start, outcome,
                                                             [&] { RunFresh(collect, listView); }));
        }
        int selected = 0;
        for (int index = 0; index < count; ++index)
            selected += list.Selected(index) ? 1 : 0;
        // Counted in rounds of their own, so that the counting costs no timed round anything.
        long bareNotifications = 0;
        long passNotifications = 0;
        {
            long counted = 0;
            WindowProcHook hook(list.Host(), CountChanges, &counted);
            TimeOnce(listView, start, outcome, [&] {
                counted = 0;
                BareLoop(listView, outcome);
                bareNotifications = counted;
            });
            TimeOnce(listView, start, outcome, [&] {
                counted = 0;
                RunFresh(select, listView);
                passNotifications = counted;
            });
        }
        std::printf("%8d %10.2f %10.2f %6.2f %14.2f %6.2f %9.2f %10ld / %-10ld (%d selected, %u "
                    "path bytes)\n",
                    count, bare, pass, pass / bare, passWithPaths, passWithPaths / bare,
                    pass * 1e3 / count, bareNotifications, passNotifications, selected,
                    static_cast<unsigned>(collect.PathBytesTotal));
    }
}

// The pass through the view.

const std::vector<int> kViewPassCounts = {1000, 10000};

int SelectedCount(HWND listView) {
    return static_cast<int>(SendMessageA(listView, LVM_GETSELECTEDCOUNT, 0, 0));
}

// Taking the matches away from a selection of every non-match, with paths: every item stays
// as it was, and each kept item's label is looked up among all the labels (a kept label must
// name one file only). Beside it the same start replaced, where every item changes. (Preparing
// 100,000 items selected one by one takes longer than the rounds, as above.)
void KeptTable(const std::vector<int>& counts) {
    std::printf("\ntaking the matches away from the non-matches selected, with paths (ms, one "
                "round):\n%8s %14s %14s %6s\n",
                "items", "replace+paths", "remove+paths", "ratio");
    for (int count : counts) {
        const std::vector<std::string> names = RealisticNames(count);
        TestListView list(names);
        HWND listView = list.ListView();
        std::vector<bool> outcome(names.size());
        for (std::size_t index = 0; index < names.size(); ++index)
            outcome[index] = LineSelects(names[index]);
        RunRecord replace = BenchRecord(L"C:\\users\\bench\\Documents", UsePrevious);
        RunRecord remove = BenchRecord(L"C:\\users\\bench\\Documents", UsePrevious);
        remove.Combine = RemoveFromSelection;
        const double replaced = TimeOnce(listView, Start::EveryItemChanges, outcome,
                                         [&] { RunFresh(replace, listView); });
        const double removed = TimeOnce(listView, Start::EveryItemChanges, outcome,
                                        [&] { RunFresh(remove, listView); });
        std::printf("%8d %14.2f %14.2f %6.2f (%u / %u path bytes)\n", count, replaced, removed,
                    removed / replaced, static_cast<unsigned>(replace.PathBytesTotal),
                    static_cast<unsigned>(remove.PathBytesTotal));
    }
}

// Both passes on the same folder view: the list-view pass over its list view, the view pass
// through its IFolderView; each without and with collecting paths.
bool TimeViewPass(int count) {
    ScratchFolder folder("vestrane-bench-view");
    const std::vector<std::string> names = RealisticNames(count);
    int expected = 0;
    for (const std::string& name : names) {
        if (!folder.WriteFile(name)) {
            std::fprintf(stderr, "cannot write %s\n", name.c_str());
            return false;
        }
        expected += LineSelects(name) ? 1 : 0;
    }
    ShellViewHost host(folder.Path(), ViewHosting::BrowserControl);
    HWND listView = host.ListView();
    IFolderView* view = host.View().Items();
    int shown = 0;
    if (!host.Valid() || FAILED(view->ItemCount(SVGIO_ALLVIEW, &shown)) || shown != count) {
        std::fprintf(stderr, "the view shows %d of %d files\n", shown, count);
        return false;
    }
    RunRecord select = BenchRecord(folder.WidePath().c_str(), SelectOnly);
    RunRecord collect = BenchRecord(folder.WidePath().c_str(), UsePrevious);

    // From nothing selected: the view shows the files in an order of its own, so the outcome
    // by index that every-item-changes needs is not at hand.
    const std::vector<bool> noOutcome;
    const int rounds = count >= 100000 ? 2 : 5;
    double times[4] = {1e300, 1e300, 1e300, 1e300};
    const std::function<void()> passes[4] = {
        [&] { RunFresh(select, listView); }, [&] { RunFresh(select, view); },
        [&] { RunFresh(collect, listView); }, [&] { RunFresh(collect, view); }};
    DWORD pathBytes[2] = {};
    for (int round = 0; round < rounds; ++round) {
        for (int pass = 0; pass < 4; ++pass) {
            times[pass] = std::min(
                times[pass], TimeOnce(listView, Start::NothingSelected, noOutcome, passes[pass]));
            // A pass that selects wrongly must not pass for a fast one.
            if (SelectedCount(listView) != expected) {
                std::fprintf(stderr, "pass %d selected %d of %d\n", pass, SelectedCount(listView),
                             expected);
                return false;
            }
            if (pass >= 2)
                pathBytes[pass - 2] = collect.PathBytesTotal;
        }
    }
    if (pathBytes[0] != pathBytes[1]) {
        std::fprintf(stderr, "the passes collected %u and %u path bytes\n",
                     static_cast<unsigned>(pathBytes[0]), static_cast<unsigned>(pathBytes[1]));
        return false;
    }
    std::printf("%8d %10.2f %10.2f %7.2f %12.2f %12.2f %7.2f   (%d selected)\n", count, times[0],
                times[1], times[1] / times[0], times[2], times[3], times[3] / times[2], expected);
    return true;
}

int ViewPassTable(const std::vector<int>& counts) {
    if (FAILED(OleInitialize(nullptr))) {
        std::fprintf(stderr, "OLE does not start\n");
        return 1;
    }
    std::printf("\nThe pass through the folder view (IFolderView) next to the list-view pass,\n"
                "on the same folders shown in Wine's folder view, pattern line \"%ls\",\n"
                "milliseconds, best of several rounds; ratio: view / list view.\n",
                kPatternLine);
    std::printf("%8s %10s %10s %7s %12s %12s %7s\n", "items", "list view", "view", "ratio",
                "list+paths", "view+paths", "ratio");
    int result = 0;
    for (const int count : counts) {
        if (!TimeViewPass(count)) {
            result = 1;
            break;
        }
    }
    OleUninitialize();
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "right-click") == 0)
        return RightClickTable();
    if (argc > 1 && std::strcmp(argv[1], "view") == 0) {
        std::vector<int> counts;
        for (int index = 2; index < argc; ++index)
            counts.push_back(std::atoi(argv[index]));
        return ViewPassTable(counts.empty() ? kViewPassCounts : counts);
    }
    if (argc > 1 && std::strcmp(argv[1], "kept") == 0) {
        KeptTable({1000, 10000});
        return 0;
    }
    std::printf("Selection pass under Wine, pattern line \"%ls\", best of several rounds\n",
                kPatternLine);
    for (Start start : {Start::NothingSelected, Start::EveryItemChanges}) {
        std::printf("%s\n", start == Start::NothingSelected
                                ? "from nothing selected (about a third of the items match):"
                                : "with every item changing:");
        std::printf("%8s %10s %10s %6s %14s %6s %9s %21s\n", "items", "bare ms", "pass ms", "ratio",
                    "pass+paths ms", "ratio", "us/item", "notifications bare/pass");
        // Preparing 100,000 items that all change takes longer than the rounds themselves.
        PassTable(start, start == Start::NothingSelected ? std::vector<int>{1000, 10000, 100000}
                                                         : std::vector<int>{1000, 10000});
    }
    KeptTable({1000, 10000});
    if (argc > 1 && std::strcmp(argv[1], "pass") == 0)
        return 0;
    const int rightClick = RightClickTable();
    const int viewPass = ViewPassTable(kViewPassCounts);
    return rightClick != 0 ? rightClick : viewPass;
}
