// What a run left behind, as a user would look at it: the labels of the folder view's items
// and of the selected ones, and the files on the clipboard.
#pragma once

#include <windows.h>
#include <shlobj.h>

// Reports "item:" for every item and "selected:" for every selected one.
void ReportListView(HWND listView);

// Reports the file names behind the labels, which differ when extensions are hidden:
// "selected-file:" for every selected item and "focused-file:" for the focused one.
void ReportSelectedFiles(HWND listView, IFolderView* view);

// Reports the clipboard's file list: "clipboard-files" with the count, the raw drop-file block
// as hex ("clipboard-hdrop"), every file ("clipboard-file") and "Preferred DropEffect"
// ("clipboard-effect"); "clipboard-files: none" without a file list.
void ReportClipboard();
