// Copies or moves the collected files into a folder, through the shell's own file operation
// (its progress, its questions before a file is replaced, cancel and undo), and tells what
// happened: how many files went, whether every one went, and which folders were left out.
#pragma once

#include "engine/run_record.h"

struct TransferOutcome {
    // Files that arrived (copy) or left their source for the target (move).
    int Count = 0;
    // Every file went, and nothing was cancelled or stopped.
    bool Completed = false;
    // The names of the collected folders, which are not carried.
    WideStringList LeftFolders;
    int LeftFolderCount = 0;
};

// Copies (CopyToFolder) or moves (MoveToFolder, as run.Action says) the files of
// SelectedPaths into folder (no trailing backslash), each under its own name. Owner owns the
// shell's windows. A source is deleted only when a complete copy stands at its target, and
// files bound for one target name go one operation each.
void TransferToFolder(RunRecord& run, const wchar_t* folder, HWND owner, TransferOutcome& outcome);
