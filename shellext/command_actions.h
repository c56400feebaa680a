// The action the user chose in the selection dialog, run on the paths the pass collected, and
// what the user is told of it: the folder browser, the engine's transfer or clipboard, and the
// closing message.
#pragma once

#include <windows.h>

#include "engine/run_record.h"

// Puts SelectedPaths on the clipboard (ClipboardCopy, ClipboardCut) or copies or moves them
// into a folder that the user chooses (CopyToFolder, MoveToFolder), with owner as the owner
// of every window the action shows. Any other action does nothing.
void RunChosenAction(RunRecord& run, HWND owner);

// The folder browser's callback: opens the browser with the folder whose UTF-16 path is
// data.
int CALLBACK FolderBrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
