// Puts the collected paths on the clipboard as a CF_HDROP file list together with a
// "Preferred DropEffect" of copy (ClipboardCopy) or move (ClipboardCut).
#pragma once

#include "engine/run_record.h"

void PutFilesOnClipboard(RunRecord& run, HWND owner);
