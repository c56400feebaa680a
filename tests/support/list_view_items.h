// A list view's items as a user sees and picks them: labels (column 0) in UTF-8 or in
// UTF-16, and a selection made the way a click makes it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The indexes of the items in the state `which` (LVNI_ALL, LVNI_SELECTED...), in index order.
std::vector<int> ListViewIndexes(HWND listView, UINT which);
std::string ListViewLabel(HWND listView, int index);
// The labels of the selected items, in index order.
std::vector<std::string> SelectedLabels(HWND listView);
// The labels in UTF-16, as the list view holds them: of one item, of every item and of the
// selected items, in index order.
std::wstring ListViewLabelW(HWND listView, int index);
std::vector<std::wstring> ListViewLabelsW(HWND listView);
std::vector<std::wstring> SelectedLabelsW(HWND listView);
// The index of the first item with this label, or -1.
int IndexOfLabel(HWND listView, const std::string& label);
// Selects exactly the items at these indexes, gives the first the focus and scrolls it into
// view.
void SelectItems(HWND listView, const std::vector<int>& indexes);
