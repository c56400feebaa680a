// Puts the collected paths on the clipboard as a CF_HDROP file list together with a
// "Preferred DropEffect" of copy (ClipboardCopy) or move (ClipboardCut).
#pragma once

#include "engine/run_record.h"

enum class ClipboardResult {
    Put,
    // No path was collected: the clipboard keeps what it had.
    NothingToPut,
    // Another program kept the clipboard to itself through a few tries over about a second.
    Busy,
    // The memory for the file list could not be had, or the clipboard refused it.
    NoMemory,
};

// Opens the clipboard with clipboardOwner, which then owns it, and puts SelectedPaths there.
ClipboardResult PutFilesOnClipboard(RunRecord& run, HWND clipboardOwner);
