#include "tests/support/list_view_items.h"

#include <commctrl.h>

#include "tests/support/wide_text.h"

namespace {

template <typename Text, typename Read>
std::vector<Text> Labels(HWND listView, UINT which, Read read) {
    std::vector<Text> labels;
    for (int index : ListViewIndexes(listView, which))
        labels.push_back(read(listView, index));
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

std::vector<int> ListViewIndexes(HWND listView, UINT which) {
    std::vector<int> indexes;
    int index = -1;
    for (;;) {
        index = static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(index),
                                              MAKELPARAM(which, 0)));
        if (index < 0)
            break;
        indexes.push_back(index);
    }
    return indexes;
}

std::string ListViewLabel(HWND listView, int index) {
    return Utf8(ListViewLabelW(listView, index));
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
