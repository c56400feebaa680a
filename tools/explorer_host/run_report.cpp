#include "tools/explorer_host/run_report.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/clipboard_reader.h"
#include "tests/support/list_view_items.h"
#include "tests/support/shell_view.h"
#include "tools/explorer_host/report_writer.h"

// The labels as the list view holds them, in UTF-16, so that every name shows as it is.
void ReportListView(HWND listView) {
    for (const std::wstring& label : ListViewLabelsW(listView))
        ReportLineW("item", label.c_str());
    for (const std::wstring& label : SelectedLabelsW(listView))
        ReportLineW("selected", label.c_str());
}

void ReportSelectedFiles(HWND listView, IFolderView* view) {
    if (view == nullptr)
        return;
    for (int index : ListViewIndexes(listView, LVNI_SELECTED))
        ReportLineW("selected-file", ItemFileName(view, index).c_str());
    for (int focused : ListViewIndexes(listView, LVNI_FOCUSED))
        ReportLineW("focused-file", ItemFileName(view, focused).c_str());
}

void ReportClipboard() {
    std::string drop;
    if (!ClipboardBlock(CF_HDROP, &drop)) {
        ReportLine("clipboard-files", "none");
    } else {
        const std::vector<std::wstring> paths = ClipboardDropPaths();
        ReportLine("clipboard-files", std::to_string(paths.size()));
        ReportLine("clipboard-hdrop",
                   HexBytes(reinterpret_cast<const unsigned char*>(drop.data()), drop.size()));
        for (const std::wstring& path : paths)
            ReportLineW("clipboard-file", path.c_str());
    }
    std::string effect;
    if (ClipboardBlock(DropEffectFormat(), &effect) && effect.size() >= sizeof(DWORD)) {
        DWORD value = 0;
        std::memcpy(&value, effect.data(), sizeof value);
        ReportLine("clipboard-effect", std::to_string(value));
    }
}
