// The command that both menu entries run, the classic context menu's and Windows 11's: where it
// starts (the folder and the line the dialog offers) and the run itself, dialog, pass and action.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "engine/run_record.h"

// What the command knows before its dialog opens. Both fields are empty until a start is made
// and after a failed one, so a command never works on an earlier selection's folder.
struct CommandStart {
    // "*" and the first selected file's extension, "*" for the empty area of a folder, or
    // empty (a folder item's name is no file name with an extension).
    wchar_t DefaultPattern[kRecordTextSize] = {};
    // The folder of the first selected item, or the folder whose empty area was clicked,
    // without a trailing backslash ("C:" for a root).
    wchar_t SourceFolder[MAX_PATH] = {};
};

// The start for selected items whose first has the full path `firstItem`.
void StartFromItem(const wchar_t* firstItem, CommandStart& start);
// The start for the empty area of the folder `folder`, given as ReadFolderPath gives it.
void StartFromFolder(const wchar_t* folder, CommandStart& start);

// Runs the whole command on the calling thread: the dialog owned by owner, the selection through
// the folder view reached from site or owner (or, with no view at all, the window's list view),
// then the chosen action. Every failure ends in a message to the user; nothing is returned.
void RunSelectCommand(IUnknown* site, HWND owner, const CommandStart& start);
