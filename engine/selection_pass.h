// The selection pass: the items of a folder window's list view that the run's PatternLine (or
// the clipboard's names standing in for it) matches are selected and the others deselected, or
// the matches are added to the selection or taken from it (Combine); the full paths of the items
// selected at the end are collected for the chosen action.
#pragma once

#include "engine/item_names.h"
#include "engine/run_record.h"

// The line is compiled once for the pass and every item is read as it stands when the pass
// runs: its label and selection state in one LVM_GETITEMW, so that a list view that changed
// while the dialog was open never has one item's label decide for another. The selection is
// written (LVM_SETITEMSTATE, LVIS_SELECTED only) only when it changes; the list view draws
// nothing during the walk (WM_SETREDRAW) and its items in view are repainted after it.
//
// When the action needs files, SourceFolder + "\\" + the label of each item that the list view
// holds selected at the end goes to SelectedPaths; one left out (a path of MAX_PATH characters or
// more, one that could not be stored) is named in UncollectedMatches. PathBytesTotal counts the
// bytes of the paths actually collected. When the pass's own memory cannot be allocated,
// nothing is touched at all.
void RunSelection(RunRecord& run, HWND listView);
