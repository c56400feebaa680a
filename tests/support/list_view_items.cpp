#include "tests/support/list_view_items.h"

#include <commctrl.h>

namespace {

template <typename Text, typename Read>
std::vector<Text> Labels(HWND listView, UINT which, Read read) {
    std::vector<Text> labels;
    int index = -1;
    for (;;) {
        index = static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(index),
                                              MAKELPARAM(which, 0)));
        if (index < 0)
            break;
        labels.push_back(read(listView, index));
    }
    return labels;
}

void SetState(HWND listView, int index, UINT state) {
    LVITEMA item = {};
    item.state = state;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

} // namespace

std::string ListViewLabel(HWND listView, int index) {
    char text[MAX_PATH + 1] = {};
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageA(listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> ListViewLabels(HWND listView) {
    return Labels<std::string>(listView, LVNI_ALL, ListViewLabel);
}

std::vector<std::string> SelectedLabels(HWND listView) {
    return Labels<std::string>(listView, LVNI_SELECTED, ListViewLabel);
}

std::wstring ListViewLabelW(HWND listView, int index) {
    wchar_t text[MAX_PATH + 1] = {};
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageW(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::wstring> ListViewLabelsW(HWND listView) {
    return Labels<std::wstring>(listView, LVNI_ALL, ListViewLabelW);
}

std::vector<std::wstring> SelectedLabelsW(HWND listView) {
    return Labels<std::wstring>(listView, LVNI_SELECTED, ListViewLabelW);
}

int IndexOfLabel(HWND listView, const std::string& label) {
    const int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (ListViewLabel(listView, index) == label)
            return index;
    }
    return -1;
}

void SelectItems(HWND listView, const std::vector<int>& indexes) {
    SetState(listView, -1, 0);
    for (std::size_t i = 0; i < indexes.size(); ++i)
        SetState(listView, indexes[i], LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0));
    if (!indexes.empty())
        SendMessageA(listView, LVM_ENSUREVISIBLE, static_cast<WPARAM>(indexes[0]), FALSE);
}
