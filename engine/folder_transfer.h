// Copies or moves the collected files into a folder that the user chooses in the
// shell's folder browser, then reports the count in a message box.
#pragma once

#include "engine/run_record.h"

void CopyOrMoveToFolder(RunRecord& run, HWND owner);

// The folder browser's callback: opens the browser with the folder whose path is data.
int CALLBACK FolderBrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
