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
