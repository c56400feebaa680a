#include "tools/explorer_host/run_report.h"

#include <commctrl.h>
#include <shellapi.h>

#include "tools/explorer_host/report_writer.h"

namespace {
bool OpenClipboardPatiently(HWND owner) {
    // Another process may hold the clipboard for a moment.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        Sleep(20);
    }
    return false;
}
} // namespace

std::vector<std::string> ListViewLabels(HWND listView, bool selectedOnly) {
    std::vector<std::string> labels;
    const UINT flags = selectedOnly ? LVNI_SELECTED : LVNI_ALL;
    int index = -1;
    for (;;) {
        index = static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(index),
                                              MAKELPARAM(flags, 0)));
        if (index < 0)
            break;
        char text[MAX_PATH + 1] = {};
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageA(listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        labels.push_back(text);
    }
    return labels;
}

void ReportListView(HWND listView) {
    for (const std::string& label : ListViewLabels(listView, false))
        ReportLine("item", label);
    for (const std::string& label : ListViewLabels(listView, true))
        ReportLine("selected", label);
}

void ReportClipboard(HWND owner) {
    if (!OpenClipboardPatiently(owner)) {
        ReportLine("clipboard-files", "unreadable");
        return;
    }
    HANDLE drop = GetClipboardData(CF_HDROP);
    if (drop == nullptr) {
        ReportLine("clipboard-files", "none");
    } else {
        const UINT count = DragQueryFileA(static_cast<HDROP>(drop), 0xFFFFFFFF, nullptr, 0);
        ReportLine("clipboard-files", std::to_string(count));
        const SIZE_T size = GlobalSize(drop);
        const void* bytes = GlobalLock(drop);
        if (bytes != nullptr) {
            ReportLine("clipboard-hdrop", HexBytes(static_cast<const unsigned char*>(bytes), size));
            GlobalUnlock(drop);
        }
        for (UINT i = 0; i < count; ++i) {
            char path[MAX_PATH + 1] = {};
            DragQueryFileA(static_cast<HDROP>(drop), i, path, sizeof path);
            ReportLine("clipboard-file", path);
        }
    }
    const UINT effectFormat = RegisterClipboardFormatA("Preferred DropEffect");
    HANDLE effect = GetClipboardData(effectFormat);
    if (effect != nullptr && GlobalSize(effect) >= sizeof(DWORD)) {
        const DWORD* value = static_cast<const DWORD*>(GlobalLock(effect));
        if (value != nullptr) {
            ReportLine("clipboard-effect", std::to_string(*value));
            GlobalUnlock(effect);
        }
    }
    CloseClipboard();
}

void ClearClipboard(HWND owner) {
    if (!OpenClipboardPatiently(owner))
        return;
    EmptyClipboard();
    CloseClipboard();
}
