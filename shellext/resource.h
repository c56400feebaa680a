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
