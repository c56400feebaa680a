// The selection pass: every item of a folder window's list view is selected when its
// label matches the run's PatternLine and deselected otherwise; the full paths of the
// matches are collected for the chosen action.
#pragma once

#include "engine/run_record.h"

// The line is compiled once for the pass. Each item is read once, label and selection state
// together (LVM_GETITEMW), in index order, and written (LVM_SETITEMSTATE, LVIS_SELECTED
// only) when its selection changes or its state could not be read; the list view draws
// nothing during the walk (WM_SETREDRAW) and its items in view are repainted after it. A
// label is matched as the list view holds it, in UTF-16. The item record and text buffer are
// memory of the pass alone.
//
// When the action needs files, SourceFolder + "\" + the UTF-16 label of each match goes to
// SelectedPaths; a path of MAX_PATH characters or more is left out (its item is still
// selected). PathBytesTotal counts the bytes of the paths actually collected. When the pass's
// own memory cannot be allocated, nothing is touched at all.
void RunSelection(RunRecord& run, HWND listView);
