// Resource and control ids of the setup program.
#pragma once

#define IDD_SETTINGS 101
#define IDI_SETUP 102

// Radio buttons of the settings dialog: the action the selection dialog preselects...
#define IDC_MODE_CLIPBOARD_COPY 1000
#define IDC_MODE_CLIPBOARD_CUT 1001
#define IDC_MODE_SELECT_ONLY 1002
#define IDC_MODE_PREVIOUS 1003
#define IDC_MODE_MOVE_TO_FOLDER 1008
#define IDC_MODE_COPY_TO_FOLDER 1009
// ...and what the pattern box starts with.
#define IDC_START_EXTENSION 1004
#define IDC_START_HISTORY 1005
// Windows 11 and later: whether the package that puts the entry into the first menu is
// registered.
#define IDC_WINDOWS11_MENU 1010

// Texts of the string table. "%s" stands for a path or a registry key.
#define IDS_CAPTION_ERROR 200
#define IDS_CAPTION_VESTRANE 201
#define IDS_DLL_MISSING 202
#define IDS_NOT_HARD_DISK 203
#define IDS_INSTALLED 204
#define IDS_PATH_TOO_LONG 205
// The x86 program under WOW64.
#define IDS_NEEDS_X64_SETUP 206
#define IDS_INSTALL_QUESTION 207
// The registered DLL is not the one beside the program: the registered path.
#define IDS_OTHER_FOLDER_QUESTION 208
// The folder to blame, then the recommended folder.
#define IDS_UNSAFE_FOLDER_QUESTION 209
// The registry key that could not be written or deleted, then IDS_CHANGES_PUT_BACK or
// IDS_CHANGES_NOT_PUT_BACK.
#define IDS_CANNOT_INSTALL 210
#define IDS_CANNOT_UNINSTALL 211
#define IDS_CHANGES_PUT_BACK 212
#define IDS_CHANGES_NOT_PUT_BACK 213
// In place of IDS_CHANGES_PUT_BACK after a removal on Windows 11 without the Windows 11 package:
// the registry is put back, the package is not.
#define IDS_REGISTRY_PUT_BACK_MENU_GONE 250
#define IDS_UNINSTALLED 214
// A removal refused: a Windows Installer package installed Vestrane in this folder.
#define IDS_PACKAGE_INSTALLATION 215
// The Windows 11 package could not be registered or removed: the failure's code, then what it
// means.
#define IDS_MENU_PACKAGE_NOT_REGISTERED 216
#define IDS_MENU_PACKAGE_NOT_REMOVED 217
// What a failure means when Windows has no text for its code.
#define IDS_NO_ERROR_TEXT 218
// The command line run without a user: the arguments not understood; the log that cannot be
// opened.
#define IDS_BAD_COMMAND_LINE 230
#define IDS_LOG_NOT_WRITABLE 231
// Beside a Windows Installer installation whose DLL others may change: the folder to blame, then
// the recommended folder.
#define IDS_UNSAFE_PACKAGE_FOLDER 232
// /package add while the class names another DLL than this folder's: the registered path.
#define IDS_MENU_PACKAGE_NOT_OURS 233
