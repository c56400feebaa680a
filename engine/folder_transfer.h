// Copies or moves the collected files into a folder, through the shell's own file operation
// (its progress, its questions before a file is replaced, cancel and undo), and tells what
// happened: how many files went, whether every one went, and which files and folders were
// left out.
#pragma once

#include "engine/run_record.h"

struct TransferOutcome {
    // Files that arrived (copy) or left their source for the target (move).
    int Count = 0;
    // Nothing was cancelled or stopped, and every file handed to the shell went.
    bool Completed = false;
    // The names of the collected files that did not go: left out before the shell's operation
    // (a target name taken by a folder, a target too long, the source folder as the target, a
    // path that names nothing) or not arrived after it (a "No" to replacing a file, a source
    // held open, a copy cut short, a replaced file's source that could not be recycled).
    WideStringList LeftFiles;
    int LeftFileCount = 0;
    // The names of the collected folders, which are not carried.
    WideStringList LeftFolders;
    int LeftFolderCount = 0;
};

// Copies (CopyToFolder) or moves (MoveToFolder, as run.Action says) the files of
// SelectedPaths into folder (no trailing backslash), each under its own name. Owner owns the
// shell's windows. The source of a file that replaces one of its name goes to the Recycle Bin,
// and only when a complete copy stands at its target; files bound for one target name go one
// operation each.
void TransferToFolder(RunRecord& run, const wchar_t* folder, HWND owner, TransferOutcome& outcome);
