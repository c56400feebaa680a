// The action the user chose in the selection dialog, run on the paths a pass collected.
#pragma once

#include "engine/run_record.h"

// Puts SelectedPaths on the clipboard (ClipboardCopy, ClipboardCut) or copies or moves them
// into a folder that the user chooses (CopyToFolder, MoveToFolder), with owner as the owner
// of every window the action shows. Any other action does nothing.
void RunChosenAction(RunRecord& run, HWND owner);
