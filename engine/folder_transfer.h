// Copies or moves the collected files into a folder that the user chooses in the shell's
// folder browser, through the shell's own file operation (its progress, its questions before
// a file is replaced, cancel and undo), then reports in a message box how many files went.
#pragma once

#include "engine/run_record.h"

// What the action shows, in code page 932: the folder browser's title for a copy and for a
// move, and the closing message, formed from the count and the verb; when the operation
// was cancelled or stopped before every file went, kStoppedFormat, formed from the verb, the
// count and the verb again; behind either, when collected folders were left out,
// kFoldersLeftFormat, formed from their count and the verb, and their names.
extern const char kCopyTitle[];
extern const char kMoveTitle[];
extern const char kResultFormat[];
extern const char kStoppedFormat[];
extern const char kCopyVerb[];
extern const char kMoveVerb[];
extern const char kFoldersLeftFormat[];
extern const char kResultCaption[];

// Owner is the owner of the browser, of the shell's windows and of the closing message.
void CopyOrMoveToFolder(RunRecord& run, HWND owner);

// The folder browser's callback: opens the browser with the folder whose UTF-16 path is
// data.
int CALLBACK FolderBrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
