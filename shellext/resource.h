// Resource and control ids of the extension DLL.
#pragma once

#define IDD_SELECTION 101
#define IDI_VESTRANE 102

// Controls of the selection dialog.
#define IDC_PATTERN_COMBO 1000
#define IDC_CLIPBOARD_COPY 1001
#define IDC_CLIPBOARD_CUT 1002
#define IDC_SELECT_ONLY 1005
#define IDC_COPY_TO_FOLDER 1006
#define IDC_MOVE_TO_FOLDER 1007
// How many of the window's items the line selects, out of how many.
#define IDC_MATCH_COUNT 1008
// What the pass does with the window's selection: replaces it, adds to it, takes from it.
#define IDC_REPLACE_SELECTION 1010
#define IDC_ADD_TO_SELECTION 1011
#define IDC_REMOVE_FROM_SELECTION 1012
// The names on the clipboard, one a line, stand in for the line.
#define IDC_NAMES_FROM_CLIPBOARD 1013

// Texts of the string table.
#define IDS_MENU_ENTRY 200
#define IDS_MENU_HELP 201
#define IDS_CAPTION_ERROR 202
#define IDS_CAPTION_RESULT 203
#define IDS_NO_EXPLORER_WINDOW 204
#define IDS_OTHER_FOLDER_SHOWN 205
#define IDS_CLIPBOARD_BUSY 206
#define IDS_COPY_TITLE 207
#define IDS_MOVE_TITLE 208
// Each with the count of files: all went, or the operation stopped.
#define IDS_COPIED 209
#define IDS_MOVED 210
#define IDS_COPY_STOPPED 211
#define IDS_MOVE_STOPPED 212
// With the count of folders, then their names.
#define IDS_FOLDERS_NOT_COPIED 213
#define IDS_FOLDERS_NOT_MOVED 214
// Nothing stopped, yet not every match went: the count of files that went and of the matches
// that did not, then their names.
#define IDS_COPY_INCOMPLETE 218
#define IDS_MOVE_INCOMPLETE 219
// After a stop: the count of the matches that did not go, then their names.
#define IDS_FILES_NOT_COPIED 220
#define IDS_FILES_NOT_MOVED 221
// The clipboard when matches were left out: the count put there and of those left out, then
// their names.
#define IDS_CLIPBOARD_COPY_INCOMPLETE 222
#define IDS_CLIPBOARD_CUT_INCOMPLETE 223
// The count of matches: the matches, then the window's items; while still counting, and done.
#define IDS_MATCH_COUNTING 215
#define IDS_MATCH_COUNT 216
// The entry of Windows 11's own menu: the classic entry's text without its access key.
#define IDS_COMMAND_TITLE 217
// The check box of the clipboard's names, with the count of its lines.
#define IDS_NAMES_FROM_CLIPBOARD 224
// Behind the count and a copy's or move's result: how many of the names matched no item.
#define IDS_NAMES_NOT_FOUND 225
// Behind the count: the clipboard held more lines than are taken.
#define IDS_NAMES_LEFT_OUT 226
