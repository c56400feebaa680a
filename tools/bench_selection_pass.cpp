// Benchmark of the selection pass under Wine (not a test): the whole RunSelection over real
// list views of 1,000, 10,000 and 100,000 items, next to a bare loop that sends the same
// LVM_GETNEXTITEM/LVM_GETITEMA/LVM_SETITEMA messages, leaves out matching and collecting,
// and makes the same selection changes. Prints one table.
//
//   cmake --build build/mingw64 --target bench_selection_pass &&
//   tools/wine-run --prefix build/mingw64/wineprefix build/mingw64/tools/bench_selection_pass.exe
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/pattern_line.h"
#include "engine/selection_pass.h"
#include "tests/support/test_list_view.h"

namespace {

const char kPatternLine[] = "*.txt .doc";

std::vector<std::string> RealisticNames(int count) {
    static const char* const kExtensions[] = {".txt", ".doc", ".jpg", ".xls", ".pdf", ""};
    static const char* const kStems[] = {"report",           "IMG_",   "notes",
                                         "Meeting minutes ", "backup", "\x95\x5C"};
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

void ResetSelection(HWND listView) {
    LVITEMA clear = {};
    clear.stateMask = LVIS_SELECTED;
    SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&clear));
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

// One timed run from the same starting point: nothing selected, the list view focused
// (the pass ends by focusing it, and a focused list view repaints changed items).
double TimeOnce(HWND listView, const std::function<void()>& run) {
    ResetSelection(listView);
    SetFocus(listView);
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    run();
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

} // namespace

int main() {
    std::printf("Selection pass under Wine, pattern line \"%s\", best of several rounds\n",
                kPatternLine);
    std::printf("%8s %12s %14s %7s %15s %7s %12s\n", "items", "bare ms", "pass ms", "ratio",
                "pass+paths ms", "ratio", "pass us/item");
    for (int count : {1000, 10000, 100000}) {
        const std::vector<std::string> names = RealisticNames(count);
        TestListView list(names);
        HWND listView = list.ListView();
        std::vector<bool> outcome(names.size());
        for (std::size_t index = 0; index < names.size(); ++index)
            outcome[index] = MatchPatternLine(kPatternLine, names[index].c_str()) != 0;

        ExtensionRecord select;
        lstrcpyA(select.PatternLine, kPatternLine);
        lstrcpyA(select.SourceFolder, "C:\\users\\bench\\Documents");
        select.Action = SelectOnly;
        // Collecting paths without an action behind it: every match's full path is built.
        ExtensionRecord collect = select;
        collect.Action = UsePrevious;

        // The three are interleaved round by round, so that other load on the machine
        // falls on all of them alike; each keeps its best round.
        const int rounds = count >= 100000 ? 2 : 7;
        double bare = 1e300;
        double pass = 1e300;
        double passWithPaths = 1e300;
        for (int round = 0; round < rounds; ++round) {
            bare = std::min(bare, TimeOnce(listView, [&] { BareLoop(listView, outcome); }));
            pass = std::min(pass, TimeOnce(listView, [&] { RunSelection(select, listView); }));
            passWithPaths = std::min(passWithPaths,
                                     TimeOnce(listView, [&] { RunSelection(collect, listView); }));
        }
        int selected = 0;
        for (int index = 0; index < count; ++index)
            selected += list.Selected(index) ? 1 : 0;
        std::printf("%8d %12.2f %14.2f %7.2f %15.2f %7.2f %12.1f   (%d selected, %u path bytes)\n",
                    count, bare, pass, pass / bare, passWithPaths, passWithPaths / bare,
                    pass * 1e3 / count, selected, static_cast<unsigned>(collect.PathBytesTotal));
    }
    return 0;
}
