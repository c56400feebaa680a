// Copies or moves the collected files into a folder that the user chooses in the
// shell's folder browser, then reports the count in a message box.
#pragma once

#include "engine/run_record.h"

// What the action shows, in code page 932: the folder browser's title for a copy and for a
// move, and the closing message, formed from the count and the verb.
extern const char kCopyTitle[];
extern const char kMoveTitle[];
extern const char kResultFormat[];
extern const char kCopyVerb[];
extern const char kMoveVerb[];
extern const char kResultCaption[];

void CopyOrMoveToFolder(RunRecord& run, HWND owner);

// The folder browser's callback: opens the browser with the folder whose UTF-16 path is
// data.
int CALLBACK FolderBrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
