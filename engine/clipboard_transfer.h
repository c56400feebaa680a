// Puts the collected paths on the clipboard as a CF_HDROP file list together with a
// "Preferred DropEffect" of copy (ClipboardCopy) or move (ClipboardCut).
#pragma once

#include "engine/run_record.h"

// The message, in code page 932, when another program keeps the clipboard to itself.
extern const char kClipboardBusyText[];
extern const char kClipboardErrorCaption[];

// Opens the clipboard with clipboardOwner, which then owns it. Without a collected path the
// clipboard is left as it was. When the clipboard stays held by another program through a
// few tries over about a second, the user is told in a message box owned by messageOwner.
void PutFilesOnClipboard(RunRecord& run, HWND clipboardOwner, HWND messageOwner);
