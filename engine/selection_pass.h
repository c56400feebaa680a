// The selection pass: every item of a folder window's list view is selected when its
// label matches the run's PatternLine and deselected otherwise; the full paths of the
// matches are collected and handed to the chosen action.
#pragma once

#include "engine/run_record.h"

// Labels are read and selections written through one LVITEMA record and one 260-byte text
// buffer in a 4096-byte page-file-backed mapping named "MyMap" that lives for one pass.
// Every item is read and written once, in index order; only LVIS_SELECTED changes.
//
// Collected paths are SourceFolder + "\" + label; a path that would not fit in MAX_PATH
// bytes is left out (its item is still selected). PathBytesTotal is the sum of (length + 1)
// over the paths actually collected. When SelectedPaths cannot be allocated the items are
// still selected, but nothing is collected and no action runs. When no page can be created
// or mapped, nothing is touched at all.
void RunSelection(RunRecord& run, HWND listView);

// The name of the page; a pass that finds it taken by another pass uses a page of its own.
extern const char kSelectionPageName[];
