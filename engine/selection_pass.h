// The selection pass: every item of a folder window's list view is selected when its
// label matches the run's PatternLine and deselected otherwise; the full paths of the
// matches are collected for the chosen action.
#pragma once

#include "engine/item_names.h"
#include "engine/run_record.h"

// The line is compiled once for the pass and matched against the labels read for the run
// (names, read again first when the list view's count has changed since, and read to the end
// when the dialog did not get that far). Each item's selection state is read
// (LVM_GETITEMSTATE) and written (LVM_SETITEMSTATE, LVIS_SELECTED only) only when it changes;
// the list view draws nothing during the walk (WM_SETREDRAW) and its items in view are
// repainted after it.
//
// When the action needs files, SourceFolder + "\\" + the label of each match goes to
// SelectedPaths; a path of MAX_PATH characters or more is left out (its item is still
// selected). PathBytesTotal counts the bytes of the paths actually collected. When the pass's
// own memory cannot be allocated, nothing is touched at all.
void RunSelection(RunRecord& run, HWND listView, ItemNames& names);
